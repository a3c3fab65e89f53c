#pragma once

#include <cstdio>

#include "tools/Costear.h"

namespace quelmar::herramientas {

// tarificador comparar: the log costed under its own tariffs (bad lines told as costear
// tells them), then under every candidate; one row per candidate on `salida`, CSV or JSON.
int Comparar(const OpcionesCosteo& o, std::FILE* entrada, std::FILE* salida, std::FILE* errores);

}  // namespace quelmar::herramientas
