#include "catalogue/Validez.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <unordered_map>

#include "catalogue/cCatalogo.h"
#include "runtime/CodePage.h"
#include "runtime/Importe.h"
#include "runtime/Texto.h"

namespace quelmar {

namespace {

std::string Citado(std::string_view bytes) {
    return "«" + Cp1252AUtf8(bytes) + "»";
}

// As people read it: "1.5", "-0.25", "1e+308", "nan", "inf".
std::string Numero(double d) {
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, d);
    return std::string(buf, r.ptr);
}

bool EnBlanco(std::string_view nombre) {
    return nombre.find_first_not_of(std::string_view(" \t\0", 3)) == std::string_view::npos;
}

}  // namespace

bool EsHoraDelDia(double d) noexcept {
    return std::isfinite(d) && d >= 0.0 && d < 1.0;
}

std::vector<Problema> ProblemasDelCatalogo(std::span<const tTarifa> tarifas) {
    std::vector<Problema> r;
    const auto& campos = tTarifa::Campos();
    const tTarifa::Campo& kNombre = tTarifa::CampoNombre();
    if (tarifas.size() > static_cast<std::size_t>(cCatalogo::kMaxTarifasFichero))
        r.push_back({cCatalogo::kMaxTarifasFichero, nullptr, Motivo::DemasiadasTarifas,
                     Gravedad::Error,
                     "el catálogo tiene " + std::to_string(tarifas.size()) + " tarifas, más de " +
                         std::to_string(cCatalogo::kMaxTarifasFichero) +
                         ", que es lo que cabe en el fichero",
                     0});
    // Names as the costing finds them (trimmed of spaces), for the first of each.
    std::unordered_map<std::string_view, std::size_t> vistos;
    for (std::size_t i = 0; i < tarifas.size(); ++i) {
        const tTarifa& t = tarifas[i];
        if (!t.AbreTarifa()) {
            r.push_back({i, &kNombre, Motivo::NombreCortaLista, Gravedad::Error,
                         "el nombre está vacío o empieza por un carácter que Quelmar no admite "
                         "ahí (fuera de ASCII, como Á, É, Ñ, ¡, ¿); al leer el catálogo se "
                         "detendría en esta tarifa",
                         0});
            break;
        }
        const std::string_view nombre = RecortarEspacios(t.TextoBruto(kNombre));
        if (EnBlanco(nombre)) {
            r.push_back({i, &kNombre, Motivo::NombreEnBlanco, Gravedad::Error,
                         "el nombre está en blanco, y ninguna llamada podría elegir la tarifa "
                         "por su nombre",
                         0});
        }
        for (const tTarifa::Campo& campo : campos) {
            if (&campo == &kNombre) continue;
            if (campo.tipo == tTarifa::Tipo::Texto) {
                const std::string_view texto = t.TextoBruto(campo);
                if (ImporteSinNumero(texto))
                    r.push_back({i, &campo, Motivo::ImporteSinNumero, Gravedad::Error,
                                 "el importe " + Citado(RecortarEspacios(texto)) +
                                     " no es un número y se cobraría como 0",
                                 0});
            } else if (const double d = t.Fecha(campo); !EsHoraDelDia(d)) {
                r.push_back({i, &campo, Motivo::HoraFueraDelDia, Gravedad::Error,
                             Numero(d) + " no es una hora del día (de 00:00:00 a 23:59:59)", 0});
            }
        }
        if (EnBlanco(nombre)) continue;
        const auto [it, nuevo] = vistos.emplace(nombre, i);
        if (!nuevo)
            r.push_back({i, &kNombre, Motivo::NombreRepetido, Gravedad::Duda,
                         "la tarifa " + Citado(nombre) + " ya es la tarifa " +
                             std::to_string(it->second + 1) +
                             "; al elegir por nombre solo se encontraría aquella",
                         it->second});
    }
    return r;
}

}  // namespace quelmar
