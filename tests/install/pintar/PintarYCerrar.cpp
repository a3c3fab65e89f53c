// A style plugin that lets a test watch an unchanged, shipped program: loaded with
// "-style pintarycerrar", it prints the title of the first window painted and then ends
// the program through its own event loop, as closing its last window would.
#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QStyle>
#include <QStyleFactory>
#include <QStylePlugin>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

class Vigia : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (!m_Visto && evento->type() == QEvent::Paint) {
            auto* w = qobject_cast<QWidget*>(objeto);
            if (w && w->isWindow()) {
                m_Visto = true;
                std::printf("pintada: %s\n", w->windowTitle().toUtf8().constData());
                // A message box instead of the window: its words say why.
                if (auto* caja = qobject_cast<QMessageBox*>(w))
                    std::printf("mensaje: %s\n", caja->text().toUtf8().constData());
                std::fflush(stdout);
                // exit() ends a message box's own loop too, and then the program's.
                QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
            }
        }
        return QObject::eventFilter(objeto, evento);
    }

  private:
    bool m_Visto = false;
};

}  // namespace

class PintarYCerrar : public QStylePlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QStyleFactoryInterface_iid FILE "pintarycerrar.json")

  public:
    QStyle* create(const QString& clave) override {
        if (clave.compare(QStringLiteral("pintarycerrar"), Qt::CaseInsensitive) != 0)
            return nullptr;
        // Qt may make the style more than once; one watcher is enough.
        static Vigia* vigia = new Vigia(qApp);
        qApp->installEventFilter(vigia);
        return QStyleFactory::create(QStringLiteral("Fusion"));
    }
};

#include "PintarYCerrar.moc"
