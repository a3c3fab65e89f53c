#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <algorithm>
#include <array>
#include <functional>
#include <gtest/gtest.h>

#include "EditorPrueba.h"
#include "editor/Disposicion.h"
#include "editor/qt/Entrada.h"
#include "editor/qt/Form1Qt.h"
#include "qtcomun/Icono.h"
#include "runtime/CodePage.h"

namespace quelmar::editor {
namespace {

using namespace prueba;

// Answers every message box as it appears and keeps what it showed.
class Cajas {
  public:
    struct Caja {
        QString texto, titulo;
        QMessageBox::Icon icono;
        bool modal;
        QStringList botones;
    };
    Cajas() {
        QObject::connect(&m_reloj, &QTimer::timeout, [this] {
            if (auto* m = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                QStringList botones;
                for (QAbstractButton* b : m->buttons()) botones.push_back(b->text());
                botones.sort();
                vistas.push_back({m->text(), m->windowTitle(), m->icon(), m->isModal(), botones});
                QAbstractButton* b = m->button(respuesta);
                (b ? b : m->button(QMessageBox::Ok))->click();
            }
        });
        m_reloj.start(5);
    }
    std::vector<Caja> vistas;
    // The button clicked in a box that has it, OK otherwise.
    QMessageBox::StandardButton respuesta = QMessageBox::Ok;

  private:
    QTimer m_reloj;
};

const QString kNoRenombrar =
    QStringLiteral("Esta tarifa forma parte del programa.\nNo se puede cambiar de nombre.");

class Form1QtTest : public ::testing::Test {
  protected:
    void Abrir(int n) {
        EscribirCatalogo(carpeta.ruta(), n);
        w = std::make_unique<Form1Qt>(carpeta.ruta());
        ASSERT_TRUE(w->Abrir());
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    }
    template <class T>
    T* W(const char* nombre) {
        return static_cast<T*>(w->Widget(nombre));
    }
    QComboBox* Nombre() { return W<QComboBox>("txtNombre"); }
    QString Indicador() { return W<QLabel>("lRegistro")->text(); }
    void Clic(QWidget* x) { QTest::mouseClick(x, Qt::LeftButton, {}, x->rect().center()); }
    // Clicks into a text field and types over its whole text.
    void Sobrescribir(QLineEdit* campo, const char* texto) {
        Clic(campo);
        campo->selectAll();
        QTest::keyClicks(campo, texto);
    }
    void ClicPestana(const char* barra, int i) {
        auto* t = W<QTabBar>(barra);
        QTest::mouseClick(t, Qt::LeftButton, {}, t->tabRect(i).center());
    }
    const cLlamada& cat() { return w->Modelo().Catalogo(); }

    CarpetaTemporal carpeta;
    std::unique_ptr<Form1Qt> w;
    Cajas cajas;
};

TEST_F(Form1QtTest, OpensOnTheCatalogueWithTheFirstTariffAndFocusOnTheName) {
    Abrir(12);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Editor de tarifas"));
    EXPECT_EQ(Nombre()->count(), 12);
    EXPECT_EQ(Nombre()->itemText(11), QStringLiteral("Tarifa 11"));
    EXPECT_EQ(Nombre()->currentText(), QStringLiteral("Tarifa 0"));
    EXPECT_EQ(W<QLineEdit>("conImporte")->text(), QStringLiteral("10"));
    EXPECT_EQ(W<QTimeEdit>("semFin")->time(), QTime(0, 14));  // 00:14:59 shown as 00:14
    EXPECT_EQ(Indicador(), QStringLiteral("1/12"));
    EXPECT_EQ(W<QScrollBar>("hs")->value(), 1);
    EXPECT_EQ(W<QScrollBar>("hs")->maximum(), 12);
    EXPECT_TRUE(W<QLineEdit>("semImporte")->isVisible());
    EXPECT_FALSE(W<QLineEdit>("sabImporte")->isVisible());
    EXPECT_EQ(W<QPushButton>("cmdCopiar")->text(), QStringLiteral("C&opiar"));
    EXPECT_TRUE(Nombre()->isAncestorOf(QApplication::focusWidget()) ||
                QApplication::focusWidget() == Nombre());
}

TEST_F(Form1QtTest, TabKeyFollowsTheTableAndSkipsHiddenPages) {
    Abrir(12);
    std::vector<std::string> orden;
    for (int i = 0; i < 16; ++i) {
        QWidget* f = QApplication::focusWidget();
        while (f && f->objectName().isEmpty()) f = f->parentWidget();
        orden.push_back(f ? f->objectName().toStdString() : "?");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(orden, (std::vector<std::string>{
                         "txtNombre", "conImporte", "conTiempo", "ssTab", "TabStrip1", "semImporte",
                         "semInicio", "semFin", "hs", "cmdAceptar", "cmdCancelar", "cmdNuevo",
                         "cmdBorrar", "cmdCopiar", "cmdRestaurar", "cmdSalvar"}));
    EXPECT_TRUE(cajas.vistas.empty());
}

TEST_F(Form1QtTest, DayPageAndBandTabShowTheirKeysValues) {
    Abrir(12);
    ClicPestana("TabStrip1", 1);
    ClicPestana("ssTab", 2);
    EXPECT_TRUE(W<QLineEdit>("fesImporte")->isVisible());
    EXPECT_FALSE(W<QLineEdit>("semImporte")->isVisible());
    EXPECT_EQ(W<QLineEdit>("fesImporte")->text(), QStringLiteral("0,11"));
    EXPECT_EQ(W<QTimeEdit>("fesInicio")->time(), QTime(0, 17));
    EXPECT_EQ(W<QTimeEdit>("fesFin")->time(), QTime(0, 24));
}

// The field is left by clicking a band tab: its store must run under the band it was typed
// in, before the click redraws the fields for the other band.
TEST_F(Form1QtTest, LeavingAFieldStoresItBeforeTheClickedTabRedraws) {
    Abrir(12);
    auto* importe = W<QLineEdit>("semImporte");
    Sobrescribir(importe, "0,15");
    ClicPestana("TabStrip1", 1);
    EXPECT_EQ(TextoDe(cat(), 0, "Semana.Normal.Importe"), "0.15");
    EXPECT_EQ(importe->text(), QStringLiteral("0,3"));

    auto* fin = W<QTimeEdit>("semFin");
    Clic(fin);
    fin->setSelectedSection(QDateTimeEdit::HourSection);
    QTest::keyClicks(fin, "22");
    fin->setSelectedSection(QDateTimeEdit::MinuteSection);
    QTest::keyClicks(fin, "30");
    Clic(W<QLineEdit>("conImporte"));
    EXPECT_EQ(FechaDe(cat(), 0, "Semana.Reducida.Fin"), fecha::DesdeHora(22, 30, 59));
}

// A click on the band tab already selected redraws its fields from the catalogue, which
// keeps charges trimmed of blanks.
TEST_F(Form1QtTest, ClickOnTheSelectedBandTabRedrawsItsFields) {
    Abrir(12);
    auto* importe = W<QLineEdit>("semImporte");
    Sobrescribir(importe, "  7  ");
    ClicPestana("TabStrip1", 0);
    EXPECT_EQ(TextoDe(cat(), 0, "Semana.Normal.Importe"), "7");
    EXPECT_EQ(importe->text(), QStringLiteral("7"));
}

// Every day and band tab is reached from the keyboard, and the field being edited is stored
// whichever way it is left.
TEST_F(Form1QtTest, DayAndBandTabsAreReachedFromTheKeyboardStoringTheField) {
    struct Caso {
        const char* campo;  // typed over, then left by the keys
        const char* tecleado;
        const char* teclas;
        int dia, banda;
        const char* foco;
        const char* clave;  // where the typed value must be stored
        const char* valor;
    };
    // clang-format off
    const Caso casos[] = {
        {"conImporte", "9,99", "Tab, Tab, Right", 1, 0, "ssTab", "Conexion.Importe", "9.99"},
        {"conImporte", "9,99", "Tab, Tab, Tab, Right", 0, 1, "TabStrip1", "Conexion.Importe", "9.99"},
        {"semImporte", "0,5", "Ctrl+Tab", 1, 0, "ssTab", "Semana.Normal.Importe", "0.5"},
        {"semImporte", "0,5", "Ctrl+PgDown, Ctrl+PgDown", 2, 0, "ssTab", "Semana.Normal.Importe", "0.5"},
        {"semImporte", "0,5", "Ctrl+PgUp", 2, 0, "ssTab", "Semana.Normal.Importe", "0.5"},
        {"semImporte", "0,5", "Ctrl+Shift+Backtab", 2, 0, "ssTab", "Semana.Normal.Importe", "0.5"},
        {"semImporte", "0,5", "Shift+Backtab, Right", 0, 1, "TabStrip1", "Semana.Normal.Importe", "0.5"},
        {"semFin", "2230", "Ctrl+PgDown", 1, 0, "ssTab", "Semana.Normal.Fin", ""},
    };
    // clang-format on
    for (const Caso& c : casos) {
        Abrir(12);
        QWidget* campo = W<QWidget>(c.campo);
        if (auto* hora = qobject_cast<QTimeEdit*>(campo)) {
            Clic(hora);
            hora->setSelectedSection(QDateTimeEdit::HourSection);
            QTest::keyClicks(hora, QString::fromLatin1(c.tecleado).left(2));
            hora->setSelectedSection(QDateTimeEdit::MinuteSection);
            QTest::keyClicks(hora, QString::fromLatin1(c.tecleado).mid(2));
        } else {
            Sobrescribir(static_cast<QLineEdit*>(campo), c.tecleado);
        }
        const QKeySequence teclas(QString::fromLatin1(c.teclas));
        for (int k = 0; k < teclas.count(); ++k) {
            QTest::keyClick(QApplication::focusWidget(), teclas[k].key(),
                            teclas[k].keyboardModifiers());
        }
        EXPECT_EQ(W<QTabBar>("ssTab")->currentIndex(), c.dia) << c.teclas;
        EXPECT_EQ(W<QTabBar>("TabStrip1")->currentIndex(), c.banda) << c.teclas;
        EXPECT_EQ(w->Modelo().ssTab.Tab(), c.dia);
        EXPECT_EQ(w->Modelo().TabStrip1.SelectedItem(), c.banda + 1);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), c.foco) << c.teclas;
        const std::string clave(c.clave);
        if (clave.ends_with("Fin"))
            EXPECT_EQ(FechaDe(cat(), 0, clave), fecha::DesdeHora(22, 30, 59)) << c.campo;
        else
            EXPECT_EQ(TextoDe(cat(), 0, clave), c.valor) << c.teclas;
        const std::array<const char*, 3> importes{"semImporte", "sabImporte", "fesImporte"};
        EXPECT_TRUE(W<QLineEdit>(importes[static_cast<std::size_t>(c.dia)])->isVisible());
        w.reset();
    }
    EXPECT_TRUE(cajas.vistas.empty());
}

// The scroll bar with the focus is drawn otherwise than without it.
TEST_F(Form1QtTest, TheFocusedScrollBarIsMarked) {
    Abrir(12);
    auto* hs = W<QScrollBar>("hs");
    const QImage sin = hs->grab().toImage();
    hs->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(hs->hasFocus());
    EXPECT_NE(hs->grab().toImage(), sin);
    Clic(W<QLineEdit>("conImporte"));
    EXPECT_EQ(hs->grab().toImage(), sin);
}

TEST_F(Form1QtTest, ScrollBarMovesBetweenTariffs) {
    Abrir(12);
    auto* hs = W<QScrollBar>("hs");
    QTest::mouseClick(hs, Qt::LeftButton, {}, QPoint(hs->width() - 3, hs->height() / 2));
    EXPECT_EQ(hs->value(), 2);
    EXPECT_EQ(Indicador(), QStringLiteral("2/12"));
    EXPECT_EQ(Nombre()->currentText(), QStringLiteral("Tarifa 1"));
    QTest::keyClick(hs, Qt::Key_End);
    EXPECT_EQ(Indicador(), QStringLiteral("12/12"));
    EXPECT_EQ(W<QLineEdit>("conImporte")->text(), QStringLiteral("111"));
}

TEST_F(Form1QtTest, BuiltInNameRefusesEveryWayOfChangingItWithTheMessage) {
    Abrir(12);
    QLineEdit* linea = Nombre()->lineEdit();
    QApplication::clipboard()->setText(QStringLiteral("Pegado"));
    QMimeData arrastrado;
    arrastrado.setText(QStringLiteral("Soltado"));

    QTest::keyClick(Nombre(), Qt::Key_X);
    QTest::keyClick(Nombre(), Qt::Key_Delete);
    QTest::keyClick(Nombre(), Qt::Key_V, Qt::ControlModifier);
    linea->paste();  // as the context menu does
    QDragEnterEvent entrar(linea->rect().center(), Qt::CopyAction, &arrastrado, Qt::LeftButton,
                           Qt::NoModifier);
    QApplication::sendEvent(linea, &entrar);
    QDropEvent soltar(QPointF(linea->rect().center()), Qt::CopyAction, &arrastrado, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(linea, &soltar);
    QInputMethodEvent metodo(QString(), {});
    metodo.setCommitString(QStringLiteral("é"));
    QApplication::sendEvent(linea, &metodo);

    ASSERT_EQ(cajas.vistas.size(), 6u);
    for (const Cajas::Caja& c : cajas.vistas) {
        EXPECT_EQ(c.texto, kNoRenombrar);
        EXPECT_EQ(c.titulo, QStringLiteral("Atencion"));
        EXPECT_EQ(c.icono, QMessageBox::Critical);
        EXPECT_TRUE(c.modal);
    }
    EXPECT_EQ(linea->text(), QStringLiteral("Tarifa 0"));
    Clic(W<QLineEdit>("conImporte"));
    EXPECT_EQ(TextoDe(cat(), 0, "Nombre"), "Tarifa 0");

    // Arrow keys still move through the list; from index 5 on the name can change.
    cajas.vistas.clear();
    Clic(Nombre());
    for (int i = 0; i < 5; ++i) QTest::keyClick(Nombre(), Qt::Key_Down);
    EXPECT_EQ(Indicador(), QStringLiteral("6/12"));
    linea->end(false);
    QTest::keyClicks(Nombre(), "x");
    linea->paste();
    EXPECT_TRUE(cajas.vistas.empty());
    EXPECT_EQ(linea->text(), QStringLiteral("Tarifa 5xPegado"));
}

TEST_F(Form1QtTest, NewTariffTakesTheTypedNameThroughTheCodePage) {
    Abrir(12);
    Clic(W<QPushButton>("cmdNuevo"));
    EXPECT_EQ(Indicador(), QStringLiteral("13/13"));
    EXPECT_EQ(Nombre()->count(), 13);
    // The new tariff's name is all NULs; the field shows it empty, so typing gives the name.
    EXPECT_EQ(Nombre()->currentText(), QString());
    for (const QChar c : QStringLiteral("Tarifa Łódź")) {
        // Keys of another keyboard: no key code Qt knows, only the character.
        QKeyEvent abajo(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(QApplication::focusWidget(), &abajo);
    }
    // Ł and ź are not in the code page: refused as typed, never stored as "?".
    Clic(W<QLineEdit>("conImporte"));
    EXPECT_EQ(TextoDe(cat(), 12, "Nombre"),
              "Tarifa \xF3"
              "d");
    EXPECT_EQ(Nombre()->itemText(12), QStringLiteral("Tarifa ód"));
    EXPECT_TRUE(cajas.vistas.empty());
}

TEST_F(Form1QtTest, EscapeClosesWithoutSaving) {
    Abrir(12);
    const std::vector<char> antes = Bytes(carpeta.fichero());
    auto* importe = W<QLineEdit>("conImporte");
    Clic(importe);
    QTest::keyClicks(importe, "9");
    Clic(W<QLineEdit>("semImporte"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(Bytes(carpeta.fichero()), antes);
}

// A button pressed with its accelerator leaves the focus in the field, yet the field's
// store runs before the button's click, as it does for a click with the mouse; Escape
// cancels without storing.
TEST_F(Form1QtTest, AcceleratorsStoreTheFieldBeingEditedBeforeTheirClick) {
    struct Caso {
        Qt::Key tecla;
        int tarifa;  // the tariff shown while typing
        bool enFichero, cerrada;
    };
    for (const Caso& c : {Caso{Qt::Key_A, 5, true, true}, Caso{Qt::Key_S, 5, true, false},
                          Caso{Qt::Key_N, 5, false, false}, Caso{Qt::Key_O, 5, false, false},
                          Caso{Qt::Key_B, 2, false, false}}) {
        Abrir(12);
        W<QScrollBar>("hs")->setValue(c.tarifa + 1);
        Sobrescribir(W<QLineEdit>("conImporte"), "9,99");
        QTest::keyClick(QApplication::focusWidget(), c.tecla, Qt::AltModifier);
        QTest::qWait(250);  // an accelerator clicks the button as an animated click
        EXPECT_EQ(TextoDe(cat(), c.tarifa, "Conexion.Importe"), "9.99") << char(c.tecla);
        cLlamada leido(carpeta.ruta());
        leido.Load();
        EXPECT_EQ(TextoDe(leido, c.tarifa, "Conexion.Importe"),
                  c.enFichero ? "9.99" : "1" + std::to_string(c.tarifa))
            << char(c.tecla);
        EXPECT_EQ(w->isVisible(), !c.cerrada) << char(c.tecla);
        w.reset();
        cajas.vistas.clear();
    }

    Abrir(12);
    Sobrescribir(W<QLineEdit>("conImporte"), "8,88");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(TextoDe(cat(), 0, "Conexion.Importe"), "10");
}

// Escape sent where a person's key goes: to the open popup's focused widget.
void EscapeEnLaLista() {
    QWidget* p = QApplication::activePopupWidget();
    ASSERT_NE(p, nullptr);
    QTest::keyClick(p->focusWidget() ? p->focusWidget() : p, Qt::Key_Escape);
}

// Escape on an open list or menu closes only that list or menu: the window and its edits
// stay.
TEST_F(Form1QtTest, EscapeOnAnOpenListOrMenuClosesOnlyIt) {
    struct Caso {
        const char* como;
        std::function<void()> abrir;
    };
    const auto tecla = [this](Qt::Key k, Qt::KeyboardModifiers m) {
        return [this, k, m] {
            Clic(Nombre()->lineEdit());
            QTest::keyClick(QApplication::focusWidget(), k, m);
        };
    };
    const Caso casos[] = {
        {"clic",
         [this] {
             auto* c = Nombre();
             QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(c->width() - 4, c->height() / 2));
         }},
        {"Alt+Abajo", tecla(Qt::Key_Down, Qt::AltModifier)},
        {"F4", tecla(Qt::Key_F4, Qt::NoModifier)},
        {"menu",
         [this] {
             auto* campo = W<QLineEdit>("semImporte");
             Clic(campo);
             QContextMenuEvent menu(QContextMenuEvent::Keyboard, campo->rect().center(),
                                    campo->mapToGlobal(campo->rect().center()));
             QApplication::sendEvent(campo, &menu);
         }},
    };
    for (const Caso& c : casos) {
        Abrir(12);
        Sobrescribir(W<QLineEdit>("conImporte"), "9,99");
        c.abrir();
        EXPECT_NE(QApplication::activePopupWidget(), nullptr) << c.como;
        EscapeEnLaLista();
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << c.como;
        EXPECT_TRUE(w->isVisible()) << c.como;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
        QTest::qWait(250);  // the accelerator's animated click
        cLlamada leido(carpeta.ruta());
        leido.Load();
        EXPECT_EQ(TextoDe(leido, 0, "Conexion.Importe"), "9.99") << c.como;
        w.reset();
    }
    EXPECT_TRUE(cajas.vistas.empty());

    // With no list open, Escape cancels from any control, the name of a built-in tariff
    // included, unasked.
    for (const char* control : {"txtNombre", "semFin", "hs", "ssTab", "cmdNuevo"}) {
        Abrir(12);
        W<QWidget>(control)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_FALSE(w->isVisible()) << control;
        w.reset();
    }
    EXPECT_TRUE(cajas.vistas.empty());
}

// Closed by the window manager with changes not saved, the window asks whether to save them,
// the field being edited stored first; the answer decides.
TEST_F(Form1QtTest, ClosingTheWindowWithChangesNotSavedAsksWhetherToSaveThem) {
    struct Caso {
        const char* que;
        const char* importe;  // typed and left in the field; nullptr for no edit
        QMessageBox::StandardButton respuesta;
        bool falla;
        bool pregunta, abierta;
        const char* enFichero;
    };
    const Caso casos[] = {
        {"sin cambios", nullptr, QMessageBox::Cancel, false, false, false, "10"},
        {"igual", "10", QMessageBox::Cancel, false, false, false, "10"},
        {"si", "9,99", QMessageBox::Yes, false, true, false, "9.99"},
        {"no", "9,99", QMessageBox::No, false, true, false, "10"},
        {"cancelar", "9,99", QMessageBox::Cancel, false, true, true, "10"},
        {"si, disco lleno", "9,99", QMessageBox::Yes, true, true, true, "10"},
    };
    for (const Caso& c : casos) {
        EscribirCatalogo(carpeta.ruta(), 12);
        auto escritura = std::make_shared<EscrituraFallida>();
        escritura->fallar = c.falla;
        w = std::make_unique<Form1Qt>(carpeta.ruta(), escritura);
        ASSERT_TRUE(w->Abrir());
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        if (c.importe) Sobrescribir(W<QLineEdit>("conImporte"), c.importe);
        cajas.vistas.clear();
        cajas.respuesta = c.respuesta;
        w->close();  // as the window manager asks it
        escritura->fallar = false;
        EXPECT_EQ(w->isVisible(), c.abierta) << c.que;
        const auto pregunta = std::find_if(
            cajas.vistas.begin(), cajas.vistas.end(),
            [](const Cajas::Caja& k) { return k.texto == QStringLiteral("¿Salvar los cambios?"); });
        ASSERT_EQ(pregunta != cajas.vistas.end(), c.pregunta) << c.que;
        if (c.pregunta) {
            EXPECT_EQ(pregunta->botones, (QStringList{"&Cancelar", "&No", "&Sí"})) << c.que;
            EXPECT_EQ(pregunta->icono, QMessageBox::Question);
        }
        cLlamada leido(carpeta.ruta());
        leido.Load();
        EXPECT_EQ(TextoDe(leido, 0, "Conexion.Importe"), c.enFichero) << c.que;
        if (c.abierta) {
            EXPECT_EQ(TextoDe(cat(), 0, "Conexion.Importe"), "9.99") << c.que;
        }
        w.reset();
    }
    // Cancelar and Aceptar close as before, unasked.
    cajas.vistas.clear();
    for (const char* boton : {"cmdCancelar", "cmdAceptar"}) {
        Abrir(12);
        Sobrescribir(W<QLineEdit>("conImporte"), "9,99");
        Clic(W<QPushButton>(boton));
        EXPECT_FALSE(w->isVisible()) << boton;
        w.reset();
    }
    EXPECT_TRUE(cajas.vistas.empty());
}

TEST_F(Form1QtTest, EnterAndSpacePressTheButtonWithTheFocus) {
    for (Qt::Key tecla : {Qt::Key_Return, Qt::Key_Space}) {
        Abrir(12);
        Sobrescribir(W<QLineEdit>("conImporte"), "7,5");
        auto* salvar = W<QPushButton>("cmdSalvar");
        salvar->setFocus(Qt::TabFocusReason);
        QTest::keyClick(salvar, tecla);
        cLlamada leido(carpeta.ruta());
        leido.Load();
        EXPECT_EQ(TextoDe(leido, 0, "Conexion.Importe"), "7.5") << tecla;
        w.reset();
    }
}

TEST_F(Form1QtTest, AChargeChargedOtherwiseIsColouredAndSaysWhatItCosts) {
    Abrir(12);
    auto* importe = W<QLineEdit>("conImporte");
    const QColor normal = importe->palette().color(QPalette::Base);
    Sobrescribir(importe, "abc");
    Clic(W<QLineEdit>("semImporte"));
    EXPECT_EQ(importe->toolTip(), QStringLiteral("Se cobra como 0"));
    EXPECT_NE(importe->palette().color(QPalette::Base), normal);
    Sobrescribir(importe, "2,5");
    Clic(W<QLineEdit>("semImporte"));
    EXPECT_TRUE(importe->toolTip().isEmpty());
    EXPECT_EQ(importe->palette().color(QPalette::Base), normal);
}

// A field takes no more characters than Tarifas.Dat keeps of it, nor a character its code
// page cannot hold: the change is refused as it is made, with the reason beside the field,
// and what is stored is what the field shows.
TEST_F(Form1QtTest, FieldsRefuseWhatTheFileCannotKeepAsItIsTyped) {
    struct Caso {
        const char* campo;
        const char* tecleado;  // UTF-8
        bool pegado;           // pasted at once rather than typed
        const char* queda;     // what the field then shows
        const char* motivo;    // part of the message beside the field; "" for none
        const char* clave;
        const char* guardado;  // what the record then holds, UTF-8, blanks trimmed
    };
    // clang-format off
    const Caso casos[] = {
        {"txtNombre", "Ωmega", false, "mega", "no guarda «Ω»", "Nombre", "mega"},
        {"txtNombre", "Tarifa de catorce días", false, "Tarifa de cator", "15 caracteres del nombre", "Nombre", "Tarifa de cator"},
        {"txtNombre", "Ñandú €", false, "Ñandú €", "", "Nombre", "Ñandú €"},
        {"txtNombre", "Tarifa ☎", true, "", "«☎»", "Nombre", ""},
        {"semImporte", "12345,678", false, "12345,6", "7 caracteres del importe", "Semana.Normal.Importe", "12345.6"},
        {"conImporte", "123456789", true, "10", "7 caracteres del importe", "Conexion.Importe", "10"},
        {"conImporte", "2,5€", false, "2,5€", "", "Conexion.Importe", "2,5€"},
    };
    // clang-format on
    for (const Caso& c : casos) {
        Abrir(12);
        if (std::string_view(c.campo) == "txtNombre") Clic(W<QPushButton>("cmdNuevo"));
        QLineEdit* campo =
            std::string_view(c.campo) == "txtNombre" ? Nombre()->lineEdit() : W<QLineEdit>(c.campo);
        Clic(campo);
        campo->selectAll();
        if (c.pegado) {
            QApplication::clipboard()->setText(QString::fromUtf8(c.tecleado));
            campo->paste();
        } else {
            for (const QChar ch : QString::fromUtf8(c.tecleado)) {
                QKeyEvent abajo(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
                QApplication::sendEvent(campo, &abajo);
            }
        }
        EXPECT_EQ(campo->text(), QString::fromUtf8(c.queda)) << c.tecleado;
        // Keys are released as a person's are: the note stays to be read.
        QTest::keyRelease(campo, Qt::Key_8);
        const QLabel* nota = ValidadorCampo::Nota(*w);
        const QString dicho = nota && nota->isVisible() ? nota->text() : QString();
        if (*c.motivo) {
            EXPECT_TRUE(dicho.contains(QString::fromUtf8(c.motivo)))
                << c.tecleado << ": " << dicho.toStdString();
            EXPECT_TRUE(w->rect().contains(nota->geometry())) << c.tecleado;
            EXPECT_FALSE(nota->geometry().intersects(
                campo->geometry().translated(campo->mapTo(w.get(), QPoint(0, 0)) - campo->pos())))
                << c.tecleado;
        } else {
            EXPECT_TRUE(dicho.isEmpty()) << c.tecleado;
        }
        const int tarifa = w->Modelo().Indice();
        Clic(W<QLineEdit>(std::string_view(c.campo) == "conImporte" ? "semImporte" : "conImporte"));
        // Through the code page, nothing cut or turned into "?".
        EXPECT_EQ(QString::fromStdString(Cp1252AUtf8(TextoDe(cat(), tarifa, c.clave)))
                      .remove(QChar(0))
                      .trimmed(),
                  QString::fromUtf8(c.guardado))
            << c.tecleado;
        w.reset();
    }
}

// One action shows one box, and a click that shows it is not lost: a tariff left without a
// name is told of once, by the command the user gave.
TEST_F(Form1QtTest, OneActionShowsOneBoxAndKeepsItsClick) {
    struct Caso {
        const char* como;
        std::function<void()> hacer;
        const char* caja;  // the start of the one box
        int tarifas;       // tariffs in the window afterwards
    };
    const auto clic = [this](const char* boton) {
        return [this, boton] { Clic(W<QPushButton>(boton)); };
    };
    const Caso casos[] = {
        {"Alt+S",
         [] {
             QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
             QTest::qWait(250);  // the accelerator's animated click
         },
         "No se ha salvado nada", 13},
        {"clic en Salvar", clic("cmdSalvar"), "No se ha salvado nada", 13},
        {"clic en Nuevo", clic("cmdNuevo"), "Este nombre no se puede salvar", 14},
        {"clic en Cancelar", clic("cmdCancelar"), "", 13},
    };
    for (const Caso& c : casos) {
        Abrir(12);
        Clic(W<QPushButton>("cmdNuevo"));
        ASSERT_TRUE(cajas.vistas.empty());
        c.hacer();
        QTest::qWait(20);
        ASSERT_EQ(cajas.vistas.size(), *c.caja ? 1u : 0u) << c.como;
        if (*c.caja) {
            EXPECT_TRUE(cajas.vistas[0].texto.startsWith(QString::fromUtf8(c.caja))) << c.como;
        }
        EXPECT_EQ(cat().Count(), c.tarifas) << c.como;
        w.reset();
        cajas.vistas.clear();
    }
}

// Each caption sits on its field's line, left of it without touching it, names it for a
// screen reader, and shows whole; the record indicator holds its longest text.
TEST_F(Form1QtTest, CaptionsSitOnTheirFieldsLineAndShowWhole) {
    Abrir(12);
    int etiquetas = 0;
    for (const Disposicion::Elemento& e : Disposicion::kElementos) {
        if (e.clase != Disposicion::Clase::Label || e.nombre == "lRegistro") continue;
        auto* l = W<QLabel>(std::string(e.nombre).c_str());
        QWidget* campo = l->buddy();
        ASSERT_NE(campo, nullptr) << e.nombre;
        EXPECT_LT(l->geometry().right() + 1, campo->geometry().left()) << e.nombre;
        EXPECT_LE(std::abs(l->geometry().center().y() - campo->geometry().center().y()), 1)
            << e.nombre;
        EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->contentsRect().width())
            << e.nombre;
        ++etiquetas;
    }
    EXPECT_EQ(etiquetas, 11);
    auto* registro = W<QLabel>("lRegistro");
    EXPECT_LE(registro->fontMetrics().horizontalAdvance(QStringLiteral("32767/32767")),
              registro->contentsRect().width());
}

// An error's own words start the box with a capital letter, and say what failed: a
// read-only file system is no missing permission.
TEST_F(Form1QtTest, MessageBoxesStartWithACapitalLetterAndTheCause) {
    const std::pair<int, const char*> casos[] = {
        {ENOSPC, "Disco lleno (error 61)"},
        {EROFS, "Sistema de ficheros de solo lectura (error 70)"},
    };
    for (const auto& [error, inicio] : casos) {
        EscribirCatalogo(carpeta.ruta(), 12);
        auto escritura = std::make_shared<EscrituraFallida>();
        escritura->fallar = true;
        escritura->error = error;
        w = std::make_unique<Form1Qt>(carpeta.ruta(), escritura);
        ASSERT_TRUE(w->Abrir());
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        Clic(W<QPushButton>("cmdSalvar"));
        ASSERT_EQ(cajas.vistas.size(), 1u) << inicio;
        const QString texto = cajas.vistas[0].texto;
        EXPECT_TRUE(texto.startsWith(QString::fromUtf8(inicio))) << texto.toStdString();
        EXPECT_FALSE(texto.contains(QStringLiteral("permiso"))) << texto.toStdString();
        w.reset();
        cajas.vistas.clear();
    }
}

// The window carries the suite's own icon, not Qt's generic one.
TEST_F(Form1QtTest, TheWindowCarriesQuelmarsIcon) {
    Abrir(1);
    const QIcon propio = qtcomun::IconoPropio(QStringLiteral("quelmar"));
    ASSERT_FALSE(propio.isNull());
    EXPECT_EQ(w->windowIcon().pixmap(32).toImage(), propio.pixmap(32).toImage());
    EXPECT_NE(propio.pixmap(32).toImage(),
              qtcomun::IconoPropio(QStringLiteral("orbelle")).pixmap(32).toImage());
}

}  // namespace
}  // namespace quelmar::editor
