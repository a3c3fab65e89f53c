#pragma once

#include <cstdio>
#include <filesystem>

#include "tools/Costear.h"

namespace quelmar::herramientas {

struct OpcionesInforme {
    OpcionesCosteo costeo;
    std::filesystem::path salida;  // the HTML file written
};

// tarificador informe: the log costed as costear costs it, then one self-contained HTML
// page (no network, no script; charts as inline SVG) with the summary, the amount per day,
// when the calls happen, the bono time left, the comparison of the catalogue's tariffs and
// the calls themselves. Bad lines are told on `errores` as costear tells them, and listed
// in the page. Returns costear's exit status.
int Informe(const OpcionesInforme& o, std::FILE* entrada, std::FILE* errores);

}  // namespace quelmar::herramientas
