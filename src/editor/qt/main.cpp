#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "catalogue/FicherosUtil.h"
#include "editor/qt/Borde.h"
#include "editor/qt/Form1Qt.h"
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

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
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
