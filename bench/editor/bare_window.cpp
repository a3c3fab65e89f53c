// The yardstick for scripts/quelmar-startup-bench.sh: an empty top-level window of the
// editor's size that ends the process as soon as its first paint is done.
#include <QApplication>
#include <QMetaObject>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

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
    ventana.show();
    return app.exec();
}
