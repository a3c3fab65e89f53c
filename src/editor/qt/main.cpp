#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QMetaObject>
#include <QPaintEvent>
#include <cstdio>
#include <cstdlib>

#include "editor/qt/Borde.h"
#include "editor/qt/Form1Qt.h"
#include "runtime/Locale.h"

namespace {

// For the start-up benchmark only (QUELMAR_SALIR_TRAS_PINTAR=1): ends the process as soon
// as the window's first paint is done, without tearing anything down.
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

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    quelmar::FijarLocale(quelmar::editor::borde::LocaleDesde(QLocale::system()));

    // Tarifas.Dat lives next to the program.
    const QByteArray carpeta = QFile::encodeName(QCoreApplication::applicationDirPath());
    quelmar::editor::Form1Qt ventana(std::filesystem::path(carpeta.toStdString()));
    if (!ventana.Abrir()) return 1;

    SalirTrasPintar salir;
    if (qEnvironmentVariableIntValue("QUELMAR_SALIR_TRAS_PINTAR") == 1)
        ventana.installEventFilter(&salir);
    ventana.show();
    return app.exec();
}
