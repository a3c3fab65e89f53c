#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "catalogue/FicherosUtil.h"
#include "editor/qt/Borde.h"
#include "editor/qt/Form1Qt.h"
#include "qtcomun/Arranque.h"
#include "qtcomun/Idioma.h"
#include "runtime/Locale.h"

#ifdef QUELMAR_SALIR_TRAS_PINTAR
#include <QMetaObject>
#include <cstdio>
#include <cstdlib>

namespace {

// The start-up benchmark's build only: ends the process as soon as the window's first
// paint is done, without tearing anything down.
class SalirTrasPintar : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (evento->type() == QEvent::Paint) {
            QMetaObject::invokeMethod(
                qApp,
                [] {
                    std::fputs("painted\n", stdout);
                    std::fflush(stdout);
                    std::_Exit(0);
                },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(objeto, evento);
    }
};

}  // namespace
#endif

namespace {

constexpr quelmar::qtcomun::Programa kQuelmar{
    "quelmar",
    "Abre la ventana «Editor de tarifas», que edita el catálogo de tarifas Tarifas.Dat.\n",
    "  0  al cerrar la ventana\n"
    "  1  sin pantalla gráfica, o si el catálogo no se puede leer ni preparar\n"
    "  2  una opción o un argumento que no vale\n"};

}  // namespace

int main(int argc, char* argv[]) {
    if (const auto salida = quelmar::qtcomun::AtenderOpciones(argc, argv, kQuelmar)) return *salida;
    const auto aplicacion = quelmar::qtcomun::CrearAplicacion(argc, argv, kQuelmar);
    QApplication& app = *aplicacion;
    const QLocale locale = quelmar::qtcomun::PonerEnEspanol(app);
    quelmar::FijarLocale(quelmar::editor::borde::LocaleDesde(locale));

    // Beside the program, or in the user's data folder when installed.
    std::filesystem::path carpeta;
    try {
        carpeta = quelmar::FicherosUtil::CarpetaCatalogo();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Atencion"),
                              QStringLiteral("No se puede preparar el catálogo de tarifas: ") +
                                  QString::fromUtf8(e.what()));
        return 1;
    }
    quelmar::editor::Form1Qt ventana(carpeta);
    if (!ventana.Abrir()) return 1;

#ifdef QUELMAR_SALIR_TRAS_PINTAR
    SalirTrasPintar salir;
    ventana.installEventFilter(&salir);
#endif
    ventana.show();
    return app.exec();
}
