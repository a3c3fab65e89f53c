#pragma once

// Catalogues for the editor's benchmarks and screenshots.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/cCatalogo.h"
#include "runtime/OleDate.h"
#include "support/Tarifas.h"

namespace quelmar::bench {

// Normal band 08:00-17:59:59 (the weekday price on weekdays, the reduced one on other
// days), reduced band 18:00-07:59:59.
inline void Tarifa(cCatalogo& c, const std::string& nombre, const char* normal,
                   const char* reducida) {
    using prueba::Hora;
    const prueba::Banda noche{reducida, Hora(18, 0), Hora(7, 59, 59)};
    const prueba::Dia semana{{normal, Hora(8, 0), Hora(17, 59, 59)}, noche};
    const prueba::Dia resto{{reducida, Hora(8, 0), Hora(17, 59, 59)}, noche};
    prueba::AnadirTarifa(c, nombre, "0,0701", Hora(0, 0), semana, resto, resto);
}

// Tarifas.Dat in `carpeta` with `n` tariffs named T00001, T00002...
inline void CatalogoDe(const std::filesystem::path& carpeta, long n) {
    cCatalogo c(carpeta);
    for (long k = 1; k <= n; ++k) {
        std::string nombre = std::to_string(k);
        nombre.insert(0, nombre.size() < 5 ? 5 - nombre.size() : 0, '0');
        Tarifa(c, "T" + nombre, "0,0451", "0,0225");
    }
    c.Save();
}

// Tarifas.Dat in `carpeta` with the 12 tariffs of a plausible catalogue.
inline void CatalogoMuestra(const std::filesystem::path& carpeta) {
    cCatalogo c(carpeta);
    const std::vector<std::string> nombres = {
        "Metropolitana", "10DIA",    "50DIA", "10NOCHE", "50NOCHE", "Provincial",
        "Interprovinc.", "Internet", "Movil", "Europa",  "America", "Resto mundo"};
    for (const std::string& n : nombres) Tarifa(c, n, "0,0451", "0,0225");
    c.Save();
}

}  // namespace quelmar::bench
