// The yardstick for scripts/quelmar-startup-bench.sh: an empty top-level window of the
// editor's size that ends the process as soon as its first paint is done. With --texto it
// shows one line of text, so that it pays the font set-up that any window with text pays.
#include <QApplication>
#include <QLabel>
#include <QMetaObject>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

class Ventana : public QWidget {
  protected:
    void paintEvent(QPaintEvent*) override {
        QMetaObject::invokeMethod(
            qApp,
            [] {
                std::fputs("painted\n", stdout);
                std::fflush(stdout);
                std::_Exit(0);
            },
            Qt::QueuedConnection);
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    Ventana ventana;
    ventana.setWindowTitle(QStringLiteral("bare"));
    ventana.setFixedSize(267, 257);
    if (argc > 1 && std::strcmp(argv[1], "--texto") == 0) {
        auto* etiqueta = new QLabel(QStringLiteral("Editor de tarifas"), &ventana);
        etiqueta->move(10, 10);
    }
    ventana.show();
    return app.exec();
}
