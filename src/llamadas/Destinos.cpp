#include "llamadas/Destinos.h"

#include <algorithm>
#include <string>
#include <string_view>
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
    Destinos d;
    std::vector<std::string> campos;
    bool primera = true;
    for (const RegistroCsv& reg : RegistrosCsv(texto)) {
        const std::string lugar = fichero + ":" + std::to_string(reg.linea) + ": ";
        const std::string_view linea = RecortarBlancos(reg.texto);
        if (linea.empty() || linea.starts_with('#')) continue;
        auto fallo = PartirCsv(linea, ',', campos);
        if ((fallo || campos.size() == 1) && linea.find(';') != std::string_view::npos) {
            auto otro = PartirCsv(linea, ';', campos);
            if (!otro || !fallo) fallo = std::move(otro);
        }
        if (fallo) throw Error(Error::Clase::Datos, lugar + *fallo);
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
        if (cabecera) continue;
        if (campos.size() != 2)
            throw Error(Error::Clase::Datos, lugar +
                                                 "se esperaban 2 campos (prefijo,tarifa) y hay " +
                                                 std::to_string(campos.size()));
        const auto prefijo = NormalizarNumero(campos[0]);
        if (!prefijo)
            throw Error(Error::Clase::Datos, lugar + "el prefijo " +
                                                 CitarCorto(RecortarBlancos(campos[0])) +
                                                 " no es un número");
        const std::string_view tarifa = RecortarBlancos(campos[1]);
        if (tarifa.empty())
            throw Error(Error::Clase::Datos, lugar + "falta la tarifa del prefijo " + *prefijo);
        d.m_Filas.push_back({*prefijo, std::string(tarifa), reg.linea});
    }
    if (d.m_Filas.empty())
        throw Error(Error::Clase::Datos,
                    Citar(fichero) + " no tiene ningún prefijo (se esperan filas prefijo,tarifa)");
    // The index is built once the rows no longer move: its keys point into them.
    for (std::size_t i = 0; i < d.m_Filas.size(); ++i) {
        const Destino& f = d.m_Filas[i];
        const auto [it, nuevo] = d.m_Indice.emplace(f.prefijo, i);
        if (!nuevo)
            throw Error(Error::Clase::Datos,
                        fichero + ":" + std::to_string(f.linea) + ": el prefijo " + f.prefijo +
                            " ya está en la línea " + std::to_string(d.m_Filas[it->second].linea));
        d.m_Largo = std::max(d.m_Largo, f.prefijo.size());
    }
    return d;
}

const Destinos::Destino* Destinos::Buscar(std::string_view digitos) const {
    for (std::size_t n = std::min(m_Largo, digitos.size()); n > 0; --n)
        if (const auto it = m_Indice.find(digitos.substr(0, n)); it != m_Indice.end())
            return &m_Filas[it->second];
    return nullptr;
}

}  // namespace quelmar::llamadas
