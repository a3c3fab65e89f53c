#pragma once

// The layouts' own entries, for the table of formats, and the words they share.
#include <memory>
#include <string>
#include <string_view>

#include "llamadas/formatos/Lector.h"

namespace quelmar::llamadas {

std::unique_ptr<Lector> CrearLectorLlamadas();
bool PareceLlamadas(std::string_view principio);
std::unique_ptr<Lector> CrearLectorAsterisk();
bool PareceAsterisk(std::string_view principio);

// Why an instant of a record cannot be read, after its quoted text.
std::string InstanteIlegible(std::string_view texto);
// A call longer than the engine costs.
std::string LlamadaDemasiadoLarga();

}  // namespace quelmar::llamadas
