#include "llamadas/Destinos.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "llamadas/Csv.h"
#include "llamadas/Textos.h"

namespace quelmar::llamadas {

std::optional<std::string> NormalizarNumero(std::string_view numero) {
    std::string r;
    if (!NormalizarNumero(numero, r)) return std::nullopt;
    return r;
}

bool NormalizarNumero(std::string_view numero, std::string& r) {
    numero = RecortarBlancos(numero);
    r.clear();
    if (numero.starts_with('+')) {
        r = "00";
        numero.remove_prefix(1);
    }
    bool digito = false;
    for (const char c : numero) {
        if (c >= '0' && c <= '9')
            r += c, digito = true;
        else if (c != ' ' && c != '-' && c != '.' && c != '\t')
            return false;
    }
    return digito;
}

Destinos Destinos::Leer(std::string_view texto, const std::string& fichero) {
    if (!PareceTexto(texto.substr(0, 65536)))
        throw Error(Error::Clase::Fichero, NoEsTexto(Citar(fichero), texto.substr(0, 65536)) +
                                               "; se espera una tabla prefijo,tarifa");
    // Past these the offsets of a row would not fit; no table of prefixes comes near.
    constexpr std::size_t kMaximo = std::numeric_limits<std::uint32_t>::max() / 2;
    if (texto.size() > kMaximo)
        throw Error(Error::Clase::Datos, Citar(fichero) +
                                             " es demasiado grande para una tabla "
                                             "de prefijos");
    Destinos d;
    // A few names, looked up by the row's text without a copy.
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept {
            return std::hash<std::string_view>{}(s);
        }
    };
    std::unordered_map<std::string, std::uint32_t, Hash, std::equal_to<>> tarifas;
    std::vector<std::string> campos;
    bool primera = true;
    // The rows are at most the lines: room for them at once, not twice over while growing.
    d.m_Filas.reserve(static_cast<std::size_t>(std::count(texto.begin(), texto.end(), '\n')) + 1);
    std::string prefijo;
    RecorrerCsv(texto, [&](const RegistroCsv& reg) {
        auto lugar = [&] { return fichero + ":" + std::to_string(reg.linea) + ": "; };
        const std::string_view linea = RecortarBlancos(reg.texto);
        if (linea.empty() || linea.starts_with('#')) return;
        auto fallo = PartirCsv(linea, ',', campos);
        if ((fallo || campos.size() == 1) && linea.find(';') != std::string_view::npos) {
            auto otro = PartirCsv(linea, ';', campos);
            if (!otro || !fallo) fallo = std::move(otro);
        }
        if (fallo) throw Error(Error::Clase::Datos, lugar() + *fallo);
        // Only a row of column names is a header: a typo in a first prefix ("9l") is a
        // row, and refused as one.
        auto nombre = [](std::string_view c, std::string_view n) {
            c = RecortarBlancos(c);
            return c.size() == n.size() &&
                   std::equal(c.begin(), c.end(), n.begin(), [](char a, char b) {
                       return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b;
                   });
        };
        const bool cabecera = primera && campos.size() == 2 && nombre(campos[0], "prefijo") &&
                              nombre(campos[1], "tarifa");
        primera = false;
        if (cabecera) return;
        if (campos.size() != 2)
            throw Error(Error::Clase::Datos, lugar() +
                                                 "se esperaban 2 campos (prefijo,tarifa) y hay " +
                                                 std::to_string(campos.size()));
        if (!NormalizarNumero(campos[0], prefijo))
            throw Error(Error::Clase::Datos, lugar() + "el prefijo " +
                                                 CitarCorto(RecortarBlancos(campos[0])) +
                                                 " no es un número");
        const std::string_view tarifa = RecortarBlancos(campos[1]);
        if (tarifa.empty())
            throw Error(Error::Clase::Datos, lugar() + "falta la tarifa del prefijo " + prefijo);
        auto t = tarifas.find(tarifa);
        if (t == tarifas.end()) {
            t = tarifas.emplace(std::string(tarifa), static_cast<std::uint32_t>(d.m_Tarifas.size()))
                    .first;
            d.m_Tarifas.emplace_back(tarifa);
        }
        d.m_Filas.push_back({static_cast<std::uint32_t>(d.m_Texto.size()),
                             static_cast<std::uint32_t>(prefijo.size()), t->second,
                             static_cast<std::uint32_t>(reg.linea)});
        d.m_Texto += prefijo;
    });
    if (d.m_Filas.empty())
        throw Error(Error::Clase::Datos,
                    Citar(fichero) + " no tiene ningún prefijo (se esperan filas prefijo,tarifa)");
    d.m_Texto.shrink_to_fit();
    d.m_Indice.assign(std::bit_ceil(d.m_Filas.size() * 2), 0);
    for (std::size_t i = 0; i < d.m_Filas.size(); ++i) {
        const Destino& f = d.m_Filas[i];
        std::uint32_t& hueco = d.m_Indice[d.Hueco(d.Prefijo(f))];
        if (hueco)
            throw Error(Error::Clase::Datos, fichero + ":" + std::to_string(f.linea) +
                                                 ": el prefijo " + std::string(d.Prefijo(f)) +
                                                 " ya está en la línea " +
                                                 std::to_string(d.m_Filas[hueco - 1].linea));
        hueco = static_cast<std::uint32_t>(i + 1);
        d.m_Largo = std::max<std::size_t>(d.m_Largo, f.largo);
    }
    return d;
}

std::size_t Destinos::Hueco(std::string_view prefijo) const {
    const std::size_t mascara = m_Indice.size() - 1;
    for (std::size_t i = std::hash<std::string_view>{}(prefijo)&mascara;; i = (i + 1) & mascara)
        if (!m_Indice[i] || Prefijo(m_Filas[m_Indice[i] - 1]) == prefijo) return i;
}

const Destinos::Destino* Destinos::Buscar(std::string_view digitos) const {
    if (m_Indice.empty()) return nullptr;  // a table moved away
    for (std::size_t n = std::min(m_Largo, digitos.size()); n > 0; --n)
        if (const std::uint32_t fila = m_Indice[Hueco(digitos.substr(0, n))])
            return &m_Filas[fila - 1];
    return nullptr;
}

}  // namespace quelmar::llamadas
