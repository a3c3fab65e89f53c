#include "calendar/Placement.h"

QPoint topRightFramePosition(const QRect& screen, int outerWidth) {
    return {screen.x() + screen.width() - outerWidth, screen.y()};
}

bool windowCanPlaceItself(const QString& platformName) {
    // Covers "wayland", "wayland-egl" and friends.
    return !platformName.startsWith(QLatin1String("wayland"));
}
