#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

namespace quelmar::calendario {

// Where the window's outer frame goes so that its top edge lies on the top of the screen and its
// right edge on the screen's right edge. A window wider than the screen sticks out on the left.
QPoint EsquinaSuperiorDerecha(const QRect& screen, int outerWidth);

// Wayland compositors ignore a program's request to place its own window.
bool PuedeColocarseSola(const QString& platformName);

}  // namespace quelmar::calendario
