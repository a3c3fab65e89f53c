#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "llamadas/Examen.h"

namespace quelmar::herramientas {

using namespace llamadas;

// What examinar writes of a file of call records: tables a person reads in a terminal,
// and the command line that would cost it. `destinos` as given (or none).
void EscribirExamen(const Examen& e, const std::string& fichero,
                    const std::optional<std::string>& destinos, std::FILE* salida);

}  // namespace quelmar::herramientas
