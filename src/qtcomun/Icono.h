#pragma once

#include <QIcon>
#include <QString>

namespace quelmar::qtcomun {

// The icon of a program of the suite: the desktop theme's icon of that name (the name the
// desktop entries give, "quelmar" or "orbelle"), else the program's own drawing, compiled
// into the program, so that the window never carries Qt's generic icon.
QIcon IconoDePrograma(const QString& nombre);

// The compiled-in drawing alone, drawn at any size asked for; a null icon for a name the
// suite has no drawing for.
QIcon IconoPropio(const QString& nombre);

}  // namespace quelmar::qtcomun
