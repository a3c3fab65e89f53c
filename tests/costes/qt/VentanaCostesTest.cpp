#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QUrl>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include "Entorno.h"
#include "costes/Motor.h"
#include "costes/qt/VentanaCostes.h"

namespace quelmar::costes {
namespace {

using pruebas::Carpeta;

QString Cifra(const QWidget& w, const QString& nombre) {
    for (const QLineEdit* e : w.findChildren<QLineEdit*>())
        if (e->accessibleName() == nombre) return e->text();
    return QStringLiteral("(no está)");
}

class VentanaCostesTest : public ::testing::Test {
  protected:
    VentanaCostesTest()
        : m_Ajustes(QString::fromStdString((c / "ajustes.ini").string()), QSettings::IniFormat) {
        pruebas::Escribir(c / "llamadas.csv", pruebas::LogGenerado(60, 9));
        m_Opciones.catalogo = c.ruta();
        m_Opciones.bonos = CARPETA_DATOS "/bonos.json";
    }
    // Opens the log and waits for the run on its thread.
    void Abrir(VentanaCostes& v) {
        v.Abrir(QString::fromStdString((c / "llamadas.csv").string()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !v.Costeando() && v.Mostrado(); }, 20000));
    }
    Carpeta c;
    QSettings m_Ajustes;
    OpcionesCostes m_Opciones;
    std::unique_ptr<MotorCostes> m_Motor = MotorDeLlamadas();
};

TEST_F(VentanaCostesTest, TheSummaryAndTheExportAreCostearsOwn) {
    VentanaCostes v(*m_Motor, m_Ajustes, m_Opciones);
    v.show();
    // Before a file: the page that says what to do.
    EXPECT_EQ(v.findChild<QStackedWidget*>()->currentIndex(), 0);
    v.PonerPeriodo({Periodo::Clase::Todo, 0, 0, {}, {}});
    Abrir(v);
    EXPECT_EQ(v.findChild<QStackedWidget*>()->currentIndex(), 1);

    const auto t =
        c.Tarificador("costear --catalogo " + c.ruta().string() +
                      " --bonos " CARPETA_DATOS "/bonos.json " + (c / "llamadas.csv").string());
    const QString esperado =
        QStringLiteral("tarificador: %1 llamadas, importe total %2, duración total %3")
            .arg(Cifra(v, QStringLiteral("Llamadas")), Cifra(v, QStringLiteral("Importe total")),
                 Cifra(v, QStringLiteral("Tiempo total")));
    EXPECT_TRUE(QString::fromStdString(t.errores).contains(esperado))
        << esperado.toStdString() << "\n"
        << t.errores;
    ASSERT_TRUE(v.ExportarCsv(QString::fromStdString((c / "exportado.csv").string())));
    EXPECT_EQ(pruebas::Leer(c / "exportado.csv"), t.salida);
    // Kept for the next start.
    EXPECT_EQ(m_Ajustes.value(QStringLiteral("recientes")).toStringList().value(0).toStdString(),
              (c / "llamadas.csv").string());
}

TEST_F(VentanaCostesTest, TheTableSortsByAmountAndFiltersByTariff) {
    VentanaCostes v(*m_Motor, m_Ajustes, m_Opciones);
    v.PonerPeriodo({Periodo::Clase::Todo, 0, 0, {}, {}});
    Abrir(v);
    QTableView* tabla = nullptr;
    for (QTableView* t : v.findChildren<QTableView*>())
        if (t->accessibleName() == QStringLiteral("Llamadas")) tabla = t;
    ASSERT_TRUE(tabla);
    auto* filtro = qobject_cast<QSortFilterProxyModel*>(tabla->model());
    const int todas = filtro->rowCount();
    EXPECT_EQ(static_cast<std::size_t>(todas), v.Mostrado()->filas.size());

    tabla->sortByColumn(7, Qt::DescendingOrder);  // Importe
    double mayor = 0;
    for (const FilaLlamada& f : v.Mostrado()->todas)
        mayor = std::max(mayor, static_cast<double>(f.importe));
    EXPECT_DOUBLE_EQ(filtro->index(0, 7).data(Qt::UserRole).toDouble(), mayor);

    QLineEdit* texto = nullptr;
    for (QLineEdit* e : v.findChildren<QLineEdit*>())
        if (e->accessibleName() == QStringLiteral("Filtrar")) texto = e;
    ASSERT_TRUE(texto);
    QTest::keyClicks(texto, QStringLiteral("nacional"));
    ASSERT_GT(filtro->rowCount(), 0);
    EXPECT_LT(filtro->rowCount(), todas);
    for (int i = 0; i < filtro->rowCount(); ++i)
        EXPECT_EQ(filtro->index(i, 2).data().toString(), QStringLiteral("Nacional"));
}

TEST_F(VentanaCostesTest, TheDefaultPeriodIsTheLastWholeMonth) {
    VentanaCostes v(*m_Motor, m_Ajustes, m_Opciones);
    Abrir(v);
    ASSERT_TRUE(v.Mostrado()->intervalo);
    EXPECT_EQ(*v.Mostrado()->intervalo, IntervaloDeMes(2000, 2));
    EXPECT_EQ(Cifra(v, QStringLiteral("Llamadas")), QString::number(28 * 9));
}

TEST_F(VentanaCostesTest, PrintsTheSummaryAndTheTableToPdf) {
    VentanaCostes v(*m_Motor, m_Ajustes, m_Opciones);
    Abrir(v);
    QPrinter impresora;
    impresora.setOutputFormat(QPrinter::PdfFormat);
    impresora.setOutputFileName(QString::fromStdString((c / "costes.pdf").string()));
    v.Imprimir(impresora);
    const std::string pdf = pruebas::Leer(c / "costes.pdf");
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_GT(pdf.size(), 10000u);  // several pages of rows
}

TEST_F(VentanaCostesTest, AFileDroppedOnTheWindowIsOpened) {
    VentanaCostes v(*m_Motor, m_Ajustes, m_Opciones);
    v.show();
    QMimeData datos;
    datos.setUrls({QUrl::fromLocalFile(QString::fromStdString((c / "llamadas.csv").string()))});
    QDragEnterEvent entra(QPoint(10, 10), Qt::CopyAction, &datos, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&v, &entra);
    EXPECT_TRUE(entra.isAccepted());
    QDropEvent suelta(QPointF(10, 10), Qt::CopyAction, &datos, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&v, &suelta);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !v.Costeando() && v.Mostrado(); }, 20000));
    EXPECT_TRUE(v.windowTitle().startsWith(QStringLiteral("llamadas.csv")));
}

// A run that lasts until it is cancelled, as a long file does.
class MotorLento final : public MotorCostes {
  public:
    Resultado Costear(const Pedido&, Progreso& p) override {
        for (std::uint64_t i = 0; !p.Cancelar(); ++i) {
            p.Avance(i % 100, 100);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        throw Cancelado();
    }
    std::string Csv(const Pedido&) override { return {}; }
    void Informe(const Pedido&, const std::optional<Intervalo>&,
                 const std::filesystem::path&) override {}
};

TEST_F(VentanaCostesTest, CancelarStopsTheRunWhileTheWindowAnswers) {
    MotorLento lento;
    VentanaCostes v(lento, m_Ajustes, m_Opciones);
    v.show();
    v.Abrir(QString::fromStdString((c / "llamadas.csv").string()));
    QPushButton* cancelar = nullptr;
    for (QPushButton* b : v.findChildren<QPushButton*>())
        if (b->accessibleName() == QStringLiteral("Cancelar")) cancelar = b;
    ASSERT_TRUE(cancelar);
    // The events of the window are handled while the run goes on.
    QTest::qWait(200);
    EXPECT_TRUE(v.Costeando());
    EXPECT_TRUE(cancelar->isVisible());
    QTest::mouseClick(cancelar, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !v.Costeando(); }, 5000));
    EXPECT_FALSE(cancelar->isVisible());
    EXPECT_EQ(v.statusBar()->currentMessage(), QStringLiteral("Costeo cancelado"));
    EXPECT_FALSE(v.Mostrado());
}

}  // namespace
}  // namespace quelmar::costes
