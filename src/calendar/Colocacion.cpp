#include "calendar/Colocacion.h"

namespace quelmar::calendario {

QPoint EsquinaSuperiorDerecha(const QRect& screen, int outerWidth) {
    return {screen.x() + screen.width() - outerWidth, screen.y()};
}

bool PuedeColocarseSola(const QString& platformName) {
    // Covers "wayland", "wayland-egl" and friends.
    return !platformName.startsWith(QLatin1String("wayland"));
}

}  // namespace quelmar::calendario
