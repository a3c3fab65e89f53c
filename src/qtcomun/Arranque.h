#pragma once

#include <memory>
#include <optional>

class QApplication;

namespace quelmar::qtcomun {

// What a window program says about itself before it has a window.
struct Programa {
    const char* nombre;       // the command, "quelmar"
    const char* descripcion;  // what its window is for, one paragraph ending in a newline
    const char* salida;       // the meaning of its exit statuses, ending in a newline
};

// Exit statuses shared by both window programs.
inline constexpr int kSalidaBien = 0;
inline constexpr int kSalidaSinPantalla = 1;
inline constexpr int kSalidaUso = 2;

// Reads the command line before any QApplication exists, so that it works without a
// display: -h/--help and -V/--version are answered on standard output (kSalidaBien), an
// unknown option or an argument is refused on standard error (kSalidaUso). Qt's own options
// (-style, -platform, -display...) pass. Empty when the program should go on.
std::optional<int> AtenderOpciones(int argc, char** argv, const Programa& programa);

// Makes the application. Where no window can be opened (no display, or one where nothing
// answers), Qt would print its English advice and abort; instead the program says in
// Spanish what is missing and how to run it, and the process ends with kSalidaSinPantalla.
// Qt's other messages during start-up are held and passed on once it has succeeded.
std::unique_ptr<QApplication> CrearAplicacion(int& argc, char** argv, const Programa& programa);

}  // namespace quelmar::qtcomun
