#include "qtcomun/Icono.h"

#include <QFile>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <memory>

// Resources of a static library are registered by hand, from the global namespace.
static void RegistrarIconos() {
    Q_INIT_RESOURCE(iconos);
}

namespace quelmar::qtcomun {

namespace {

// Draws the SVG at the size asked for, with the Svg library linked in rather than through
// an image plugin that a minimal install may lack.
class MotorSvg : public QIconEngine {
  public:
    explicit MotorSvg(QByteArray svg) : m_Svg(std::move(svg)) {}

    void paint(QPainter* p, const QRect& r, QIcon::Mode, QIcon::State) override {
        QSvgRenderer(m_Svg).render(p, r);
    }
    QPixmap pixmap(const QSize& tamano, QIcon::Mode modo, QIcon::State estado) override {
        QPixmap imagen(tamano);
        imagen.fill(Qt::transparent);
        QPainter p(&imagen);
        paint(&p, QRect(QPoint(0, 0), tamano), modo, estado);
        return imagen;
    }
    QIconEngine* clone() const override { return new MotorSvg(m_Svg); }
    QString key() const override { return QStringLiteral("quelmar-svg"); }

  private:
    QByteArray m_Svg;
};

}  // namespace

QIcon IconoPropio(const QString& nombre) {
    RegistrarIconos();
    QFile f(QStringLiteral(":/iconos/%1.svg").arg(nombre));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QIcon(new MotorSvg(f.readAll()));
}

QIcon IconoDePrograma(const QString& nombre) {
    const QIcon tema = QIcon::fromTheme(nombre);
    return tema.isNull() ? IconoPropio(nombre) : tema;
}

}  // namespace quelmar::qtcomun
