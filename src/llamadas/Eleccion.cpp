#include "llamadas/Eleccion.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "llamadas/Csv.h"
#include "llamadas/Sesion.h"
#include "llamadas/Textos.h"
#include "runtime/CodePage.h"

namespace quelmar::llamadas {

EleccionTarifa::EleccionTarifa(const cLlamada& m, const std::vector<std::string>& nombres,
                               const Destinos* destinos, bool dada, bool conTroncal)
    : m_Nombres(nombres),
      m_Destinos(destinos),
      m_Dada(dada),
      m_ConTroncal(conTroncal),
      m_Principal(Pedida(m.NombreTarifa())) {
    // Where each name is first: what Find gives, without a walk of the catalogue for
    // every name a log asks for (a log may name thousands the catalogue lacks).
    m_Posiciones.reserve(static_cast<std::size_t>(m.Count()));
    for (std::int16_t i = 0; i < m.Count(); ++i) m_Posiciones.emplace(NombreDeTarifa(m, i), i);
    // The session made sure the catalogue has it, and each tariff of the table.
    EnCatalogo(m_Principal);
    if (m_Destinos)
        for (const std::string& tarifa : m_Destinos->Tarifas()) {
            m_TarifasDestino.push_back(Pedida(Utf8ACp1252Exacto(tarifa)));
            EnCatalogo(m_TarifasDestino.back());
        }
}

TarifaPedida EleccionTarifa::Pedida(std::optional<std::string> bytes) {
    TarifaPedida t;
    t.bytes = std::move(bytes);
    if (t.bytes) {
        t.utf8 = Cp1252AUtf8(*t.bytes);
        t.celda = CeldaTarifa(*t.bytes);
    }
    return t;
}

// A tariff name of the log (Utf8ACp1252Exacto) and its texts, remembered.
TarifaPedida& EleccionTarifa::PedidaEnLog(std::string_view pedido) {
    // A log of endless different names must not fill the memory.
    if (m_Pedidas.size() > 4096) m_Pedidas.clear();
    auto it = m_Pedidas.find(pedido);
    if (it == m_Pedidas.end())
        it = m_Pedidas.emplace(std::string(pedido), Pedida(Utf8ACp1252Exacto(pedido))).first;
    return it->second;
}

bool EleccionTarifa::EnCatalogo(TarifaPedida& t) const {
    if (!t.buscada) {
        const auto it = m_Posiciones.find(*t.bytes);
        t.posicion = it == m_Posiciones.end() ? std::int16_t{-1} : it->second;
        t.buscada = true;
    }
    return t.posicion >= 0;
}

EleccionTarifa::Resultado EleccionTarifa::Elegir(Registro& r, std::string& motivo) {
    Llamada& l = r.llamada;
    l.tarifa = &m_Principal;
    if (r.numeroElige) {
        if (!m_Destinos) {
            motivo = "el número marcado " + CitarCorto(l.numero) +
                     " elige la tarifa: hace falta --destinos FICHERO";
            return Resultado::Mala;
        }
        return PorNumero(l, l.numero, motivo, true);
    }
    // A number is read even without a destination table: a column of something else is
    // caught.
    if (!l.numero.empty() && !NormalizarNumero(l.numero, m_Digitos))
        return PorNumero(l, l.numero, motivo);
    if (r.tarifa.empty())
        return l.numero.empty() || !m_Destinos ? Resultado::Elegida
                                               : PorNumero(l, l.numero, motivo);
    TarifaPedida& t = PedidaEnLog(r.tarifa);
    if (!t.bytes || !EnCatalogo(t)) {
        if (!t.sugerencia) {
            if (m_Firmas.empty())
                for (const auto& n : m_Nombres) m_Firmas.push_back(FirmaDe(n));
            t.sugerencia = Sugerencia(m_Nombres, r.tarifa, &m_Firmas);
        }
        motivo = "tarifa desconocida " + CitarCorto(r.tarifa) + *t.sugerencia;
        l.tarifa = nullptr;
        return Resultado::SinTarifa;
    }
    l.tarifa = &t;
    return Resultado::Elegida;
}

// The tariff of the row of the destination table whose prefix the number starts with,
// else the one given for records that name none.
EleccionTarifa::Resultado EleccionTarifa::PorNumero(Llamada& l, std::string_view numero,
                                                    std::string& motivo, bool deCentralita) {
    if (!NormalizarNumero(numero, m_Digitos)) {
        motivo = numero.empty() ? std::string("el registro no tiene número marcado (dst)")
                                : "número marcado " + CitarCorto(numero) +
                                      " ilegible (se esperan cifras, con «+» delante, espacios, "
                                      "guiones o puntos)";
        return Resultado::Mala;
    }
    if (const auto* f = m_Destinos->Buscar(m_Digitos)) {
        l.tarifa = &m_TarifasDestino[f->tarifa];
        return Resultado::Elegida;
    }
    if (m_Dada) return Resultado::Elegida;  // l.tarifa is already the one given
    // Without a trunk, a PBX's internal and incoming calls are here too: counted, and the
    // summary says how to tell them apart.
    if (deCentralita && !m_ConTroncal) {
        ++m_CuantosSinPrefijo;
        auto it = m_SinPrefijo.find(m_Digitos);
        if (it != m_SinPrefijo.end())
            ++it->second;
        else if (m_SinPrefijo.size() < 10000)  // endless different numbers must not fill memory
            m_SinPrefijo.emplace(m_Digitos, 1);
        return Resultado::SinPrefijo;
    }
    motivo = "el número " + CitarCorto(numero) +
             " no empieza por ningún prefijo de --destinos (y no se ha dado --tarifa)";
    return Resultado::Mala;
}

std::vector<std::pair<std::string, std::size_t>> EleccionTarifa::NumerosSinPrefijo(
    std::size_t n) const {
    std::vector<std::pair<std::string, std::size_t>> numeros(m_SinPrefijo.begin(),
                                                             m_SinPrefijo.end());
    n = std::min(numeros.size(), n);
    std::partial_sort(numeros.begin(), numeros.begin() + static_cast<std::ptrdiff_t>(n),
                      numeros.end(), [](const auto& a, const auto& b) {
                          return a.second != b.second ? a.second > b.second : a.first < b.first;
                      });
    numeros.resize(n);
    return numeros;
}

}  // namespace quelmar::llamadas
