#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

namespace quelmar::herramientas {

struct OpcionesCosteo {
    std::filesystem::path catalogo;
    // The tariff of lines that name none (UTF-8); the catalogue's first tariff when absent.
    std::optional<std::string> tarifa;
    std::optional<std::filesystem::path> festivos;
    std::optional<std::filesystem::path> bonos;
    std::optional<std::filesystem::path> salidaBonos;
    bool json = false;
    // Standard input when absent.
    std::optional<std::filesystem::path> llamadas;
};

// Costs a log of calls, one "inicio,fin[,tarifa]" a line, in line order with one bono
// registry carried from call to call. Results go to `salida`, bad lines and the totals
// to `errores`. Returns 0, or 1 when some line was bad; an unusable option or file raises
// ErrorUso before anything is written.
int Costear(const OpcionesCosteo& o, std::FILE* entrada, std::FILE* salida, std::FILE* errores);

}  // namespace quelmar::herramientas
