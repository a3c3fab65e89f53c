#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "llamadas/Cobrado.h"
#include "llamadas/Llamada.h"

namespace quelmar::herramientas {

using namespace llamadas;

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
    // The layout of the records, by its name in the table of formats; empty: recognised.
    std::string formato;
    // --troncal, --contexto and --utc (OpcionesSesion).
    std::vector<std::string> troncales, contextos;
    bool utc = false;
    // The prefijo,tarifa table that picks a call's tariff by the number dialled.
    std::optional<std::filesystem::path> destinos;
    Agrupar por = Agrupar::Nada;
    // The calls looked at: from `desde` (included) to `hasta` (excluded); every call is
    // costed, so that bonos run from the log's start.
    std::optional<double> desde, hasta;
    // Where costear writes the totals of --por (else: after the rows with --json, on the
    // error stream otherwise).
    std::optional<std::filesystem::path> salidaTotales;
};

// Costs a log of calls, one "inicio,fin[,tarifa]" a line, in line order with one bono
// registry carried from call to call. Results go to `salida`, bad lines and the totals
// to `errores`. Returns 0, or 1 when some line was bad; an unusable option or file raises
// ErrorUso before anything is written.
// The totals of --por as a table: CSV with a header, or one JSON object per key (with
// "clase": "total" first when `mezcla`, among the rows' objects).
std::string EscribirTotales(const std::vector<TotalClave>& filas, Agrupar por, bool json,
                            bool mezcla = false);

int Costear(const OpcionesCosteo& o, std::FILE* entrada, std::FILE* salida, std::FILE* errores);

}  // namespace quelmar::herramientas
