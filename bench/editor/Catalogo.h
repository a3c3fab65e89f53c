#pragma once

// Catalogues for the editor's benchmarks and screenshots.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/cLlamada.h"
#include "runtime/OleDate.h"

namespace quelmar::bench {

inline void Banda(cLlamada& c, std::int16_t i, const std::string& p, const char* importe, int h0,
                  int m0, int h1, int m1) {
    c.Valor(i, p + "Importe", Variant(importe));
    c.Valor(i, p + "Inicio", Variant::DeFecha(fecha::DesdeHora(h0, m0, 0)));
    c.Valor(i, p + "Fin", Variant::DeFecha(fecha::DesdeHora(h1, m1, 59)));
}

inline void Tarifa(cLlamada& c, const std::string& nombre, const char* normal,
                   const char* reducida) {
    c.Add();
    const auto i = static_cast<std::int16_t>(c.Count() - 1);
    c.Valor(i, "Nombre", Variant(nombre));
    c.Valor(i, "Conexion.Importe", Variant("0,0701"));
    c.Valor(i, "Conexion.Tiempo", Variant::DeFecha(fecha::DesdeHora(0, 0, 0)));
    for (const char* dia : {"Semana.", "Sabado.", "Festivo."}) {
        const std::string d = dia;
        Banda(c, i, d + "Normal.", d == "Semana." ? normal : reducida, 8, 0, 17, 59);
        Banda(c, i, d + "Reducida.", reducida, 18, 0, 7, 59);
    }
}

// Tarifas.Dat in `carpeta` with `n` tariffs named T00001, T00002...
inline void CatalogoDe(const std::filesystem::path& carpeta, long n) {
    cLlamada c(carpeta);
    for (long k = 1; k <= n; ++k) {
        std::string nombre = std::to_string(k);
        nombre.insert(0, nombre.size() < 5 ? 5 - nombre.size() : 0, '0');
        Tarifa(c, "T" + nombre, "0,0451", "0,0225");
    }
    c.Save();
}

// Tarifas.Dat in `carpeta` with the 12 tariffs of a plausible catalogue.
inline void CatalogoMuestra(const std::filesystem::path& carpeta) {
    cLlamada c(carpeta);
    const std::vector<std::string> nombres = {
        "Metropolitana", "10DIA",    "50DIA", "10NOCHE", "50NOCHE", "Provincial",
        "Interprovinc.", "Internet", "Movil", "Europa",  "America", "Resto mundo"};
    for (const std::string& n : nombres) Tarifa(c, n, "0,0451", "0,0225");
    c.Save();
}

}  // namespace quelmar::bench
