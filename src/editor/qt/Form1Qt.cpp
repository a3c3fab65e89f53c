#include "editor/qt/Form1Qt.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGroupBox>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>
#include <exception>

#include "editor/Disposicion.h"
#include "editor/qt/Borde.h"
#include "editor/qt/Entrada.h"
#include "editor/qt/ModeloNombres.h"
#include "qtcomun/Icono.h"
#include "qtcomun/Twips.h"

namespace quelmar::editor {

namespace {

using Clase = Disposicion::Clase;

using qtcomun::Pixeles;

QRect Rect(const Disposicion::Elemento& e) {
    return QRect(Pixeles(e.left), Pixeles(e.top), Pixeles(e.width), Pixeles(e.height));
}

QString Q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The characters Tarifas.Dat keeps of a name and of a charge.
constexpr int kAnchoNombre = 15;
constexpr int kAnchoImporte = 7;

// What a screen reader says of the day pages and bands, in words (the tabs' captions are
// the old window's).
constexpr std::array<const char*, 3> kDias = {"Semana", "Sábado", "Festivo"};
constexpr std::array<const char*, 2> kBandas = {"normal", "reducida"};

// A caption without its accelerator mark: "C&opiar" is read "Copiar".
QString SinAcelerador(std::string_view caption) {
    QString t = Q(caption);
    t.remove(QLatin1Char('&'));
    return t.trimmed();
}

// Messages start with a capital letter, also those that start with an error's own words.
QString ConMayuscula(QString texto) {
    if (!texto.isEmpty() && texto.front().isLower()) texto.front() = texto.front().toUpper();
    return texto;
}

// The one 16 x 16 image of ImageList1: a small price tag.
QIcon Imagen() {
    QPixmap p(16, 16);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QColor(0x1f, 0x4e, 0x8c));
    g.setBrush(QColor(0x4f, 0x8f, 0xd8));
    g.drawPolygon(QPolygonF({QPointF(1.5, 4.5), QPointF(9.5, 4.5), QPointF(14.5, 8),
                             QPointF(9.5, 11.5), QPointF(1.5, 11.5)}));
    g.setBrush(Qt::white);
    g.drawEllipse(QPointF(10, 8), 1.3, 1.3);
    return QIcon(p);
}

// Tabs with little padding, so that the captions fit the narrow tab rows of the layout. A
// proxy style is far cheaper at start-up than a style sheet.
class EstiloPestanas : public QProxyStyle {
  public:
    int pixelMetric(PixelMetric m, const QStyleOption* o, const QWidget* w) const override {
        if (m == PM_TabBarTabHSpace) return 10;
        if (m == PM_TabBarTabVSpace) return 6;
        return QProxyStyle::pixelMetric(m, o, w);
    }
};

// The frame of "Conexion" drawn with the painter: the platform style draws it from an
// image whose loading scans every image format plugin, a few milliseconds at start-up.
class EstiloMarco : public QProxyStyle {
  public:
    void drawPrimitive(PrimitiveElement pe, const QStyleOption* o, QPainter* p,
                       const QWidget* w) const override {
        if (pe != PE_FrameGroupBox) return QProxyStyle::drawPrimitive(pe, o, p, w);
        // Below the caption, as the platform style places it.
        const int arriba = o->fontMetrics.height() + 2;
        const QRectF r = QRectF(o->rect.adjusted(0, arriba, 0, 0)).adjusted(0.5, 0.5, -0.5, -0.5);
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        p->setPen(o->palette.window().color().darker(140));
        p->setBrush(o->palette.window().color().lighter(104));
        p->drawRoundedRect(r, 2, 2);
        p->restore();
    }
};

// The scroll bar with a mark while it has the focus, which the platform style does not draw.
class BarraConFoco : public QScrollBar {
  public:
    using QScrollBar::QScrollBar;

  protected:
    void paintEvent(QPaintEvent* evento) override {
        QScrollBar::paintEvent(evento);
        if (!hasFocus()) return;
        QPainter p(this);
        QPen pluma(palette().color(QPalette::Highlight), 2);
        p.setPen(pluma);
        p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
    void focusInEvent(QFocusEvent* evento) override {
        QScrollBar::focusInEvent(evento);
        update();
    }
    void focusOutEvent(QFocusEvent* evento) override {
        QScrollBar::focusOutEvent(evento);
        update();
    }
};

QMessageBox::Icon Icono(int estilo) {
    switch (estilo & 0x70) {
        case 16:
            return QMessageBox::Critical;
        case 32:
            return QMessageBox::Question;
        case 48:
            return QMessageBox::Warning;
        case 64:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace

Form1Qt::Form1Qt(std::filesystem::path carpeta, std::shared_ptr<Escritura> escritura,
                 QWidget* parent)
    : QWidget(parent), m_Form(*this, std::move(carpeta), std::move(escritura)) {
    setWindowTitle(Q(Disposicion::kTitulo));
    setWindowIcon(qtcomun::IconoDePrograma(QStringLiteral("quelmar")));
    // The layout was drawn for the small captions of its time: at 15 twips a pixel they must
    // be about 10 pixels high to fit.
    QFont f = font();
    f.setPixelSize(10);
    setFont(f);
    setFixedSize(Pixeles(Disposicion::kAncho), Pixeles(Disposicion::kAlto));
    Construir();
    connect(qApp, &QApplication::focusChanged, this, &Form1Qt::CambioDeFoco);
    Despachar([] {});
}

Form1Qt::~Form1Qt() {
    // The widgets go first: while they are torn down they must find neither the focus
    // hook nor a model that is already gone.
    disconnect(qApp, nullptr, this, nullptr);
    for (QObject* o : findChildren<QObject*>()) o->removeEventFilter(this);
    m_TxtNombre = nullptr;
    m_Ocupado = true;
    const auto hijos = findChildren<QObject*>(Qt::FindDirectChildrenOnly);
    qDeleteAll(hijos);
}

// The widgets of the layout table, in its order: each is made by the step for its kind,
// then placed, named and registered; the tab order and Escape come last.
void Form1Qt::Construir() {
    m_EstiloPestanas = new EstiloPestanas;
    m_EstiloPestanas->setParent(this);
    m_EstiloMarco = new EstiloMarco;
    m_EstiloMarco->setParent(this);
    std::unordered_map<std::string_view, QWidget*> contenedores{{"", this}};
    std::vector<std::pair<int, QWidget*>> paradas;
    for (const Disposicion::Elemento& e : Disposicion::kElementos) {
        QWidget* padre = e.pagina >= 0 ? m_Paginas[static_cast<std::size_t>(e.pagina)]
                                       : contenedores.at(e.contenedor);
        Control* control = m_Form.Buscar(e.nombre);
        QWidget* w = CrearWidget(e, padre, control);
        if (e.clase == Clase::Frame) contenedores[e.nombre] = w;
        if (e.clase == Clase::SSTab) contenedores[e.nombre] = w->parentWidget();  // its area
        if (e.clase != Clase::SSTab) w->setGeometry(Rect(e));
        if (e.clase == Clase::TabStrip) w->raise();  // over the day pages
        w->setObjectName(Q(e.nombre));
        m_Widgets[e.nombre] = w;
        if (control) m_ControlDe[w] = control;
        if (e.tabStop) paradas.emplace_back(e.tabIndex * 10, w);
    }
    AlinearEtiquetas();
    NombrarParaLectores();
    // The day tabs, then the band tabs, come after the connection fields and before the
    // fields of the page they show, as they lie on the window.
    paradas.emplace_back(25, m_SsTab);
    paradas.emplace_back(26, m_TabStrip1);
    OrdenarTabulacion(paradas);
    // Day tabs from anywhere in the window, as in any tabbed window.
    const auto atajo = [this](QKeySequence teclas, int paso) {
        auto* a = new QShortcut(teclas, this);
        connect(a, &QShortcut::activated, this, [this, paso] { PasarPagina(paso); });
    };
    atajo(QKeySequence(Qt::CTRL | Qt::Key_Tab), 1);
    atajo(QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1);
    atajo(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1);
    atajo(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1);
    atajo(QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1);
}

// The field being edited is stored before the page changes, as a click on the tab stores it;
// the focus goes to the day tabs, which show the page now selected.
void Form1Qt::PasarPagina(int paso) {
    Control* campo = m_CampoConFoco;
    const bool enPagina = m_SsTab->parentWidget()->isAncestorOf(QApplication::focusWidget());
    const auto n = static_cast<int>(m_Paginas.size());
    Despachar([&] {
        if (campo) SalirDe(*campo);
        m_Form.ssTab.Seleccionar(static_cast<std::int16_t>((m_Form.ssTab.Tab() + paso + n) % n));
    });
    if (enPagina) m_SsTab->setFocus(Qt::TabFocusReason);
}

// Each caption sits on its field's text line, left of the field without touching it, and
// is the field's buddy: a screen reader reads the field by it. Its field is the one to its
// right in the same frame or page whose line is nearest.
void Form1Qt::AlinearEtiquetas() {
    constexpr int kHueco = 4;
    for (const Disposicion::Elemento& e : Disposicion::kElementos) {
        if (e.clase != Clase::Label || e.nombre == "lRegistro") continue;
        const Disposicion::Elemento* campo = nullptr;
        for (const Disposicion::Elemento& c : Disposicion::kElementos) {
            if ((c.clase != Clase::TextBox && c.clase != Clase::TimeSpinner) ||
                c.contenedor != e.contenedor || c.pagina != e.pagina || c.left <= e.left)
                continue;
            const auto distancia = [&e](const Disposicion::Elemento& x) {
                return std::abs(2 * x.top + x.height - 2 * e.top - e.height);
            };
            if (!campo || distancia(c) < distancia(*campo)) campo = &c;
        }
        if (!campo) continue;
        auto* etiqueta = static_cast<QLabel*>(m_Widgets.at(e.nombre));
        QWidget* buddy = m_Widgets.at(campo->nombre);
        const QRect f = buddy->geometry();
        const int ancho = etiqueta->fontMetrics().horizontalAdvance(etiqueta->text()) + 1;
        const int x = std::min(Pixeles(e.left), f.left() - kHueco - ancho);
        etiqueta->setGeometry(x, f.top(), ancho, f.height());
        etiqueta->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        etiqueta->setBuddy(buddy);
    }
    // The record indicator takes its frame's width, so that "32767/32767" fits.
    const QRect marco = m_Widgets.at("Frame2")->rect().adjusted(2, 0, -2, 0);
    m_LRegistro->setGeometry(marco.left(), m_LRegistro->y(), marco.width(), m_LRegistro->height());
    m_LRegistro->setAlignment(Qt::AlignCenter);
}

// Spanish names for every control, as a screen reader reads them: a field by its caption,
// day and band ("Importe, Sábado, reducida"), a button by its caption without the "&".
void Form1Qt::NombrarParaLectores() {
    for (const Disposicion::Elemento& e : Disposicion::kElementos) {
        QWidget* w = m_Widgets.at(e.nombre);
        if (e.clase == Clase::Button || e.clase == Clase::Frame)
            w->setAccessibleName(SinAcelerador(e.caption));
    }
    m_TxtNombre->setAccessibleName(QStringLiteral("Nombre"));
    m_TxtNombre->lineEdit()->setAccessibleName(QStringLiteral("Nombre"));
    m_Hs->setAccessibleName(QStringLiteral("Registro"));
    m_LRegistro->setAccessibleName(QStringLiteral("Registro"));
    m_Widgets.at("conImporte")->setAccessibleName(QStringLiteral("Importe, conexión"));
    m_Widgets.at("conTiempo")->setAccessibleName(QStringLiteral("Tiempo, conexión"));
    m_SsTab->setAccessibleName(QStringLiteral("Día"));
    m_TabStrip1->setAccessibleName(QStringLiteral("Franja"));
    // The tab bars' scroll buttons, named by Qt only where its translations are installed.
    for (QTabBar* barra : {m_SsTab, m_TabStrip1}) {
        const auto flechas = barra->findChildren<QToolButton*>();
        for (QToolButton* f : flechas) {
            f->setAccessibleName(f->arrowType() == Qt::RightArrow
                                     ? QStringLiteral("Desplazar hacia la derecha")
                                     : QStringLiteral("Desplazar hacia la izquierda"));
        }
    }
    for (std::size_t p = 0; p < m_Paginas.size(); ++p)
        m_Paginas[p]->setAccessibleName(QString::fromUtf8(kDias[p]));
    NombrarCamposDeDia();
}

// The day fields show the band selected, so their names follow it.
void Form1Qt::NombrarCamposDeDia() {
    static constexpr std::array<std::array<std::string_view, 3>, 3> kCampos = {{
        {"semImporte", "semInicio", "semFin"},
        {"sabImporte", "sabInicio", "sabFin"},
        {"fesImporte", "fesInicio", "fesFin"},
    }};
    static constexpr std::array<const char*, 3> kQue = {"Importe", "Inicio", "Fin"};
    const int banda = std::clamp(m_Form.TabStrip1.SelectedItem() - 1, 0, 1);
    for (std::size_t d = 0; d < kCampos.size(); ++d) {
        for (std::size_t c = 0; c < kQue.size(); ++c) {
            m_Widgets.at(kCampos[d][c])
                ->setAccessibleName(
                    QStringLiteral("%1, %2, %3")
                        .arg(QString::fromUtf8(kQue[c]), QString::fromUtf8(kDias[d]),
                             QString::fromUtf8(kBandas[static_cast<std::size_t>(banda)])));
        }
    }
}

QWidget* Form1Qt::CrearWidget(const Disposicion::Elemento& e, QWidget* padre, Control* control) {
    switch (e.clase) {
        case Clase::Frame: {
            auto* marco = new QGroupBox(Q(e.caption), padre);
            marco->setStyle(m_EstiloMarco);
            return marco;
        }
        case Clase::Label: {
            auto* l = new QLabel(Q(e.caption), padre);
            if (e.nombre == "lRegistro") m_LRegistro = l;
            return l;
        }
        case Clase::TextBox:
            return CrearTexto(padre, static_cast<TextBox&>(*control));
        case Clase::TimeSpinner:
            return CrearHora(padre, static_cast<TimeSpinner&>(*control));
        case Clase::ImageCombo:
            return CrearListaNombres(padre);
        case Clase::ScrollBar:
            return CrearBarra(padre);
        case Clase::SSTab:
            return CrearPaginas(e, padre);
        case Clase::TabStrip:
            return CrearBandas(padre);
        case Clase::Button:
            return CrearBoton(e, padre, static_cast<Button&>(*control));
    }
    return nullptr;
}

QWidget* Form1Qt::CrearTexto(QWidget* padre, TextBox& modelo) {
    auto* t = new QLineEdit(padre);
    (new ValidadorCampo(kAnchoImporte, QStringLiteral("del importe"), t))->Vigilar(*t);
    connect(t, &QLineEdit::textEdited, this, [this, &modelo](const QString& s) {
        if (!m_Ocupado) modelo.Teclear(borde::DePantalla(s));
    });
    t->setAutoFillBackground(true);  // for the colour of a charge charged otherwise
    m_Textos.emplace_back(&modelo, t);
    return t;
}

QWidget* Form1Qt::CrearHora(QWidget* padre, TimeSpinner& modelo) {
    auto* t = new QTimeEdit(padre);
    t->setDisplayFormat(QStringLiteral("HH:mm"));
    // Stepped with the arrow keys and the wheel; buttons would hide the digits.
    t->setButtonSymbols(QAbstractSpinBox::NoButtons);
    connect(t, &QTimeEdit::timeChanged, this, [this, &modelo](QTime h) {
        if (!m_Ocupado && h.isValid()) modelo.EditarHora(h.hour(), h.minute());
    });
    t->installEventFilter(this);
    m_Horas.emplace_back(&modelo, t);
    return t;
}

QWidget* Form1Qt::CrearListaNombres(QWidget* padre) {
    auto* c = new QComboBox(padre);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setCompleter(nullptr);  // no inline completion over the names
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setIconSize(QSize(16, 16));
    c->setMaxVisibleItems(16);
    m_Nombres = new ModeloNombres(m_Form.txtNombre, Imagen(), c);
    c->setModel(m_Nombres);
    if (auto* lista = qobject_cast<QListView*>(c->view())) {
        lista->setUniformItemSizes(true);  // no measuring of 32766 rows
    }
    connect(c, &QComboBox::activated, this,
            [this](int i) { Despachar([this, i] { m_Form.txtNombre.Elegir(i + 1); }); });
    connect(c->lineEdit(), &QLineEdit::textEdited, this, &Form1Qt::NombreEditado);
    (new ValidadorCampo(kAnchoNombre, QStringLiteral("del nombre"), c))->Vigilar(*c->lineEdit());
    c->installEventFilter(this);
    c->lineEdit()->installEventFilter(this);
    m_TxtNombre = c;
    return c;
}

QWidget* Form1Qt::CrearBarra(QWidget* padre) {
    auto* s = new BarraConFoco(Qt::Horizontal, padre);
    s->setTracking(false);  // Change once the thumb is let go
    s->setSingleStep(1);
    s->setPageStep(1);  // a click on the track moves one position too
    s->setFocusPolicy(Qt::StrongFocus);
    connect(s, &QScrollBar::valueChanged, this, [this](int v) {
        Despachar([this, v] { m_Form.hs.Mover(static_cast<std::int16_t>(v)); });
    });
    s->installEventFilter(this);
    m_Hs = s;
    return s;
}

// The day tabs: an area of the tab control's size holding the three pages, which cover it
// whole so that their children keep the table's positions, and the tab row above them.
QWidget* Form1Qt::CrearPaginas(const Disposicion::Elemento& e, QWidget* padre) {
    auto* area = new QWidget(padre);
    area->setGeometry(Rect(e));
    auto* marco = new QFrame(area);
    for (QWidget*& pagina : m_Paginas) {
        pagina = new QWidget(area);
        pagina->setGeometry(0, 0, area->width(), area->height());
    }
    m_SsTab = new QTabBar(area);
    m_SsTab->setStyle(m_EstiloPestanas);
    for (std::string_view pagina : Disposicion::kPaginas) m_SsTab->addTab(Q(pagina));
    m_SsTab->setExpanding(true);
    m_SsTab->setUsesScrollButtons(false);
    m_SsTab->setDrawBase(false);
    m_SsTab->setFocusPolicy(Qt::StrongFocus);
    const int alto = m_SsTab->sizeHint().height();
    m_SsTab->setGeometry(0, 0, area->width(), alto);
    marco->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    marco->setGeometry(0, alto - 1, area->width(), area->height() - alto + 1);
    connect(m_SsTab, &QTabBar::currentChanged, this, [this](int i) {
        Despachar([this, i] { m_Form.ssTab.Seleccionar(static_cast<std::int16_t>(i)); });
    });
    m_SsTab->installEventFilter(this);
    return m_SsTab;
}

QWidget* Form1Qt::CrearBandas(QWidget* padre) {
    auto* t = new QTabBar(padre);
    t->setStyle(m_EstiloPestanas);
    for (std::string_view banda : Disposicion::kBandas) t->addTab(Q(banda));
    t->setFocusPolicy(Qt::StrongFocus);
    t->setUsesScrollButtons(false);
    t->setExpanding(true);
    const auto seleccionar = [this](int i) {
        Despachar([this, i] { m_Form.TabStrip1.Seleccionar(static_cast<std::int16_t>(i + 1)); });
    };
    connect(t, &QTabBar::currentChanged, this, seleccionar);
    // A click on the tab already selected is a click too: it redraws the band fields from
    // the catalogue. (Emitted before the selection moves.)
    connect(t, &QTabBar::tabBarClicked, this, [t, seleccionar](int i) {
        if (i >= 0 && i == t->currentIndex()) seleccionar(i);
    });
    t->installEventFilter(this);
    m_TabStrip1 = t;
    return t;
}

QWidget* Form1Qt::CrearBoton(const Disposicion::Elemento& e, QWidget* padre, Button& modelo) {
    auto* b = new QPushButton(Q(e.caption), padre);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, &modelo] { PulsarBoton(modelo); });
    b->installEventFilter(this);  // Enter presses it
    m_Botones.emplace_back(&modelo, b);
    return b;
}

void Form1Qt::OrdenarTabulacion(std::vector<std::pair<int, QWidget*>> paradas) {
    std::sort(paradas.begin(), paradas.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < paradas.size(); ++i)
        QWidget::setTabOrder(paradas[i - 1].second, paradas[i].second);
}

QWidget* Form1Qt::Widget(std::string_view nombre) const {
    const auto it = m_Widgets.find(nombre);
    return it == m_Widgets.end() ? nullptr : it->second;
}

bool Form1Qt::Abrir() {
    bool ok = false;
    Despachar([this, &ok] { ok = m_Form.Abrir(); });
    return ok;
}

// ---- from the user to the model ----

void Form1Qt::Despachar(const std::function<void()>& accion) {
    if (m_Ocupado) return;
    m_Ocupado = true;
    try {
        accion();
    } catch (const std::exception& e) {
        MsgBox(e.what(), IVentana::vbCritical, std::string(Form1::kTituloAviso));
    }
    Reflejar();
    if (QWidget* w = std::exchange(m_FocoPendiente, nullptr)) {
        w->setFocus(Qt::OtherFocusReason);
        m_CampoConFoco = ControlDe(w);
    }
    m_Ocupado = false;
}

Control* Form1Qt::ControlDe(QWidget* w) const {
    for (; w; w = w->parentWidget()) {
        const auto it = m_ControlDe.find(w);
        if (it != m_ControlDe.end()) return it->second;
    }
    return nullptr;
}

// Focus moves out of the window (a message box, a list's popup, another program) and back
// are no leaving; only a move between two controls of this window is.
//
// A field left for a button pressed with the mouse is left when the button is released:
// by its click, before the click's own action, or after a release that clicks nothing. A
// message about the field shown on the press would take the release, and the click would
// be lost.
void Form1Qt::CambioDeFoco(QWidget* /*viejo*/, QWidget* nuevo) {
    if (!nuevo || nuevo->window() != this) return;
    Control* dejado = std::exchange(m_CampoConFoco, ControlDe(nuevo));
    if (m_Ocupado || !dejado || dejado == m_CampoConFoco) return;
    if (qobject_cast<QPushButton*>(nuevo) && std::exchange(m_FocoConRaton, false)) {
        if (!m_DejadoAlSoltar) m_DejadoAlSoltar = dejado;
        return;
    }
    Despachar([dejado] { SalirDe(*dejado); });
}

void Form1Qt::SalirSiQuedaPendiente() {
    if (Control* c = std::exchange(m_DejadoAlSoltar, nullptr)) Despachar([c] { SalirDe(*c); });
}

void Form1Qt::SalirDe(Control& c) {
    if (auto* t = dynamic_cast<TextBox*>(&c)) t->SalirFoco();
    if (auto* h = dynamic_cast<TimeSpinner*>(&c)) h->SalirFoco();
    if (auto* n = dynamic_cast<ImageCombo*>(&c)) n->SalirFoco();
}

// A button pressed with its accelerator or with Escape leaves the focus where it was, so
// no leaving of the field is reported: the field is left here all the same, before the
// click, as a click with the mouse would leave it. Cancelar stores nothing.
//
// One action, one message: Salvar and Aceptar say themselves what keeps a name from being
// saved, so the name is stored for them without its own warning.
void Form1Qt::PulsarBoton(Button& boton) {
    Control* pendiente = std::exchange(m_DejadoAlSoltar, nullptr);
    Control* campo = pendiente ? pendiente : m_CampoConFoco;
    const bool dejar = campo && campo != &boton && &boton != &m_Form.cmdCancelar;
    const bool salva = &boton == &m_Form.cmdSalvar || &boton == &m_Form.cmdAceptar;
    Despachar([&] {
        if (dejar && salva && campo == &m_Form.txtNombre) {
            if (m_Form.txtNombre.Enabled()) m_Form.txtNombre_LostFocus();
        } else if (dejar) {
            SalirDe(*campo);
        }
        boton.Pulsar();
    });
}

bool Form1Qt::TeclaNombre(const QKeyEvent& e) {
    // Tab moves the focus and Escape presses Cancelar: neither reaches a key handler.
    if (m_Ocupado || e.key() == Qt::Key_Tab || e.key() == Qt::Key_Backtab ||
        e.key() == Qt::Key_Escape)
        return false;
    bool tragar = false;
    Despachar([this, &e, &tragar] {
        const std::int16_t codigo = borde::CodigoTecla(e);
        std::int16_t KeyCode = codigo;
        m_Form.txtNombre.PulsarTecla(KeyCode, borde::Mayusculas(e));
        if (codigo != 0 && KeyCode == 0) {
            tragar = true;
            return;
        }
        if (const auto caracter = borde::CaracterTecla(e)) {
            std::int16_t KeyAscii = *caracter;
            m_Form.txtNombre.TeclearCaracter(KeyAscii);
            tragar = KeyAscii == 0;
        }
    });
    // Enter picks nothing in the name list.
    return tragar || e.key() == Qt::Key_Return || e.key() == Qt::Key_Enter;
}

bool Form1Qt::PedirCambioNombre() {
    bool permitido = true;
    Despachar([this, &permitido] { permitido = m_Form.txtNombre.PedirCambio(); });
    return permitido;
}

// Any edit that got past the key handlers (a paste from the context menu, the middle
// button, an undo) is checked here and taken back when the model refuses it.
void Form1Qt::NombreEditado(const QString& texto) {
    if (m_Ocupado) return;
    if (PedirCambioNombre()) {
        m_Form.txtNombre.Teclear(borde::DePantalla(texto));
        return;
    }
    m_Ocupado = true;
    const QSignalBlocker b(m_TxtNombre->lineEdit());
    m_TxtNombre->lineEdit()->setText(borde::APantalla(m_Form.txtNombre.Text()));
    m_Ocupado = false;
}

bool Form1Qt::eventFilter(QObject* objeto, QEvent* evento) {
    const bool nombre = m_TxtNombre && (objeto == m_TxtNombre || objeto == m_TxtNombre->lineEdit());
    switch (evento->type()) {
        case QEvent::KeyPress: {
            const auto& tecla = *static_cast<QKeyEvent*>(evento);
            if (nombre) return TeclaNombre(tecla);
            // Enter presses the button with the focus, as Space does.
            if (auto* b = qobject_cast<QPushButton*>(objeto);
                b && (tecla.key() == Qt::Key_Return || tecla.key() == Qt::Key_Enter) &&
                !(tecla.modifiers() & ~Qt::KeypadModifier)) {
                b->click();
                return true;
            }
            // Tab leaves a time spinner, as in every other field, instead of stepping
            // from the hours to the minutes.
            if (qobject_cast<QTimeEdit*>(objeto) &&
                (tecla.key() == Qt::Key_Tab || tecla.key() == Qt::Key_Backtab) &&
                !(tecla.modifiers() & ~Qt::ShiftModifier)) {
                focusNextPrevChild(tecla.key() == Qt::Key_Tab);
                return true;
            }
            break;
        }
        case QEvent::InputMethod: {
            const auto* im = static_cast<QInputMethodEvent*>(evento);
            const bool cambia = !im->commitString().isEmpty() || !im->preeditString().isEmpty() ||
                                im->replacementLength() > 0;
            if (nombre && cambia && !PedirCambioNombre()) {
                QGuiApplication::inputMethod()->reset();
                return true;
            }
            break;
        }
        case QEvent::FocusIn:
            if (qobject_cast<QPushButton*>(objeto))
                m_FocoConRaton =
                    static_cast<QFocusEvent*>(evento)->reason() == Qt::MouseFocusReason;
            break;
        case QEvent::MouseButtonRelease:
            // After the button has handled it: its click took the field, or there was none.
            if (m_DejadoAlSoltar && qobject_cast<QPushButton*>(objeto))
                QTimer::singleShot(0, this, &Form1Qt::SalirSiQuedaPendiente);
            break;
        case QEvent::Drop:
            if (nombre && !PedirCambioNombre()) {
                evento->ignore();
                return true;
            }
            break;
        case QEvent::Wheel: {
            // The wheel over a control without the focus would change it without the
            // focus ever leaving the field being edited.
            auto* w = qobject_cast<QWidget*>(objeto);
            QWidget* foco = QApplication::focusWidget();
            if (w && !(foco && (foco == w || w->isAncestorOf(foco)))) return true;
            break;
        }
        default:
            break;
    }
    return QWidget::eventFilter(objeto, evento);
}

// Escape presses the cancel button. Taken as the key no control used rather than as a
// shortcut, so that Escape on an open list or menu closes only that list or menu.
void Form1Qt::keyPressEvent(QKeyEvent* evento) {
    if (evento->key() == Qt::Key_Escape && !(evento->modifiers() & ~Qt::KeypadModifier)) {
        static_cast<QPushButton*>(m_Widgets.at("cmdCancelar"))->click();
        return;
    }
    QWidget::keyPressEvent(evento);
}

// Closed other than by Aceptar or Cancelar: the field being edited is stored, then the model
// decides whether changes not saved are asked about.
void Form1Qt::closeEvent(QCloseEvent* evento) {
    if (std::exchange(m_CierrePedido, false)) return QWidget::closeEvent(evento);
    bool cerrar = false;
    if (!m_Ocupado) {
        Control* pendiente = std::exchange(m_DejadoAlSoltar, nullptr);
        Control* campo = pendiente ? pendiente : m_CampoConFoco;
        Despachar([&] {
            if (campo) SalirDe(*campo);
            cerrar = m_Form.Form_QueryUnload();
        });
    }
    if (cerrar)
        QWidget::closeEvent(evento);
    else
        evento->ignore();
}

void Form1Qt::showEvent(QShowEvent* evento) {
    QWidget::showEvent(evento);
    if (std::exchange(m_PrimeraVez, false)) m_TxtNombre->setFocus(Qt::OtherFocusReason);
}

// ---- from the model to the widgets ----

bool Form1Qt::Cambio(const Control& c) {
    const auto it = m_Visto.find(&c);
    if (it != m_Visto.end() && it->second == c.Revision()) return false;
    m_Visto[&c] = c.Revision();
    return true;
}

void Form1Qt::Reflejar() {
    ReflejarCampos();
    ReflejarNavegacion();
    ReflejarNombre();
}

// The text boxes, time spinners and buttons.
void Form1Qt::ReflejarCampos() {
    for (auto& [modelo, w] : m_Textos) {
        if (!Cambio(*modelo)) continue;
        const QSignalBlocker b(w);
        const QString t = borde::APantalla(modelo->Text());
        if (w->text() != t) {
            w->setText(t);
            w->setCursorPosition(0);  // show the start of a text wider than the box
        }
        w->setEnabled(modelo->Enabled());
        // A charge that is not what it shows: coloured, and the tooltip says what is charged.
        const QString aviso = borde::Mensaje(modelo->Aviso());
        if (w->toolTip() != aviso) {
            w->setToolTip(aviso);
            QPalette p;
            if (!aviso.isEmpty()) {
                p = w->palette();
                p.setColor(QPalette::Base, QColor(0xff, 0xd9, 0x8c));
                p.setColor(QPalette::Text, Qt::black);
            }
            w->setPalette(p);
        }
    }
    for (auto& [modelo, w] : m_Horas) {
        if (!Cambio(*modelo)) continue;
        const QSignalBlocker b(w);
        w->setTime(QTime(modelo->Hora(), modelo->Minuto()));
        w->setEnabled(modelo->Enabled());
    }
    for (auto& [modelo, w] : m_Botones)
        if (Cambio(*modelo)) w->setEnabled(modelo->Enabled());
}

// The record label and scroll bar, the day tabs and the band tabs.
void Form1Qt::ReflejarNavegacion() {
    const Form1& f = m_Form;
    if (Cambio(f.lRegistro)) m_LRegistro->setText(borde::APantalla(f.lRegistro.Caption()));
    if (Cambio(f.hs)) {
        const QSignalBlocker b(m_Hs);
        m_Hs->setRange(std::min(f.hs.Min(), f.hs.Max()), std::max(f.hs.Min(), f.hs.Max()));
        m_Hs->setValue(f.hs.Value());
        m_Hs->setEnabled(f.hs.Enabled());
    }
    if (Cambio(f.ssTab)) {
        const QSignalBlocker b(m_SsTab);
        m_SsTab->setCurrentIndex(f.ssTab.Tab());
        for (std::size_t p = 0; p < m_Paginas.size(); ++p)
            m_Paginas[p]->setVisible(static_cast<int>(p) == f.ssTab.Tab());
    }
    if (Cambio(f.TabStrip1)) {
        const QSignalBlocker b(m_TabStrip1);
        m_TabStrip1->setCurrentIndex(f.TabStrip1.SelectedItem() - 1);
        NombrarCamposDeDia();
    }
}

// The name list and the name being edited.
void Form1Qt::ReflejarNombre() {
    const Form1& f = m_Form;
    const ImageCombo& cb = f.txtNombre;
    bool lista = false;
    if (cb.RevisionLista() != m_RevLista) {
        m_RevLista = cb.RevisionLista();
        m_RevTextos = cb.RevisionTextos();
        m_Nombres->Reiniciar();
        lista = true;
    } else if (cb.RevisionTextos() != m_RevTextos) {
        m_RevTextos = cb.RevisionTextos();
        m_Nombres->Refrescar();
        lista = true;
    }
    // The combo rewrites its edit text when its entries change, so the model's text is
    // put back after any change of the list.
    if (Cambio(cb) || lista || m_IndiceVisto != f.Indice()) {
        m_IndiceVisto = f.Indice();
        const QSignalBlocker b(m_TxtNombre);
        const int fila = f.Indice() < cb.ListCount() ? f.Indice() : -1;
        if (m_TxtNombre->currentIndex() != fila) m_TxtNombre->setCurrentIndex(fila);
        const QString t = borde::APantalla(cb.Text());
        if (m_TxtNombre->lineEdit()->text() != t) m_TxtNombre->lineEdit()->setText(t);
        m_TxtNombre->setEnabled(cb.Enabled());
    }
}

// ---- IVentana ----

void Form1Qt::MsgBox(const std::string& texto, int estilo, const std::string& titulo) {
    QMessageBox caja(Icono(estilo), borde::Mensaje(titulo), ConMayuscula(borde::Mensaje(texto)),
                     QMessageBox::Ok, isVisible() ? this : nullptr);
    caja.setTextFormat(Qt::PlainText);
    caja.setWindowModality(Qt::ApplicationModal);
    caja.exec();
}

bool Form1Qt::Preguntar(const std::string& texto, const std::string& titulo) {
    QMessageBox caja(QMessageBox::Question, borde::Mensaje(titulo),
                     ConMayuscula(borde::Mensaje(texto)), QMessageBox::Yes | QMessageBox::No,
                     isVisible() ? this : nullptr);
    caja.setDefaultButton(QMessageBox::No);
    caja.setTextFormat(Qt::PlainText);
    caja.setWindowModality(Qt::ApplicationModal);
    return caja.exec() == QMessageBox::Yes;
}

int Form1Qt::PreguntarConCancelar(const std::string& texto, const std::string& titulo) {
    QMessageBox caja(QMessageBox::Question, borde::Mensaje(titulo), borde::Mensaje(texto),
                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                     isVisible() ? this : nullptr);
    // Spanish whatever translations are installed.
    caja.button(QMessageBox::Yes)->setText(QStringLiteral("&Sí"));
    caja.button(QMessageBox::No)->setText(QStringLiteral("&No"));
    caja.button(QMessageBox::Cancel)->setText(QStringLiteral("&Cancelar"));
    caja.setDefaultButton(QMessageBox::Yes);
    caja.setEscapeButton(QMessageBox::Cancel);
    caja.setTextFormat(Qt::PlainText);
    caja.setWindowModality(Qt::ApplicationModal);
    switch (caja.exec()) {
        case QMessageBox::Yes:
            return IVentana::vbYes;
        case QMessageBox::No:
            return IVentana::vbNo;
        default:
            return IVentana::vbCancel;
    }
}

void Form1Qt::Cerrar() {
    m_CierrePedido = true;
    close();
}

void Form1Qt::FocoEn(const Control& control) {
    // Applied once the widgets show the model again: the control may be enabled only now.
    for (const auto& [w, c] : m_ControlDe) {
        if (c == &control) m_FocoPendiente = w;
    }
}

}  // namespace quelmar::editor
