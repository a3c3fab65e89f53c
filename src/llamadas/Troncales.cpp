#include "llamadas/Troncales.h"

#include <algorithm>
#include <functional>
#include <string>
#include <string_view>

#include "llamadas/Instantes.h"
#include "runtime/OleDate.h"

namespace quelmar::llamadas {

Llamada LlamadaTroncal::Vista() const {
    Llamada l{};
    l.ini = ini, l.fin = fin, l.segundos = segundos;
    l.tarifa = nullptr;
    l.textoIni = textoIni, l.textoFin = textoFin;
    l.numero = numero, l.origen = origen, l.cuenta = cuenta;
    l.cobrado = cobrado;
    l.columnaCobrado = columnaCobrado;
    return l;
}

std::string_view Troncales::CanalTroncal(const Registro& r, bool& comoDestino) const {
    for (const std::string& p : m_Prefijos) {
        if (r.canal.starts_with(p)) {
            comoDestino = false;
            return r.canal;
        }
        if (r.canalDestino.starts_with(p)) {
            comoDestino = true;
            return r.canalDestino;
        }
    }
    return {};
}

void Troncales::Terminar(std::size_t i, SalidaTroncal& s) {
    Pendiente p = std::move(m_Pendientes[i]);
    m_Pendientes.erase(m_Pendientes.begin() + static_cast<std::ptrdiff_t>(i));
    if (p.saliente)
        s.Saliente(p.llamada);
    else
        ++m_Entrantes;
}

Troncales::Sentido Troncales::Anotar(const Registro& r, std::size_t linea, SalidaTroncal& s) {
    const Llamada& l = r.llamada;
    // Calls that ended before this record started are whole.
    for (std::size_t i = 0; i < m_Pendientes.size();)
        if (Antes(m_Pendientes[i].llamada.fin, l.ini))
            Terminar(i, s);
        else
            ++i;
    bool comoDestino = false;
    const std::string_view canal = CanalTroncal(r, comoDestino);
    if (canal.empty()) {
        ++m_Internas;
        return Sentido::Interna;
    }
    const auto it = std::find_if(m_Pendientes.begin(), m_Pendientes.end(),
                                 [&](const Pendiente& p) { return p.canal == canal; });
    if (it != m_Pendientes.end()) {
        LlamadaTroncal& t = it->llamada;
        if (Antes(l.ini, t.ini)) t.ini = l.ini, t.textoIni = l.textoIni;
        if (Antes(t.fin, l.fin)) t.fin = l.fin, t.textoFin = l.textoFin;
        t.segundos = fecha::SegundosEntre(t.ini, t.fin);
        ++t.registros;
        if (it->saliente) ++m_Unidas;
        return it->saliente ? Sentido::Saliente : Sentido::Entrante;
    }
    Pendiente p;
    p.canal = canal;
    p.saliente = comoDestino;
    if (p.saliente) {
        LlamadaTroncal& t = p.llamada;
        t.ini = l.ini, t.fin = l.fin, t.segundos = l.segundos;
        t.textoIni = l.textoIni, t.textoFin = l.textoFin;
        t.numero = l.numero, t.origen = l.origen, t.cuenta = l.cuenta;
        t.cobrado = l.cobrado;
        t.columnaCobrado = l.columnaCobrado;
        t.linea = linea;
        t.registros = 1;
    } else {
        p.llamada.ini = l.ini, p.llamada.fin = l.fin, p.llamada.linea = linea;
    }
    m_Pendientes.push_back(std::move(p));
    return comoDestino ? Sentido::Saliente : Sentido::Entrante;
}

void Troncales::Vaciar(SalidaTroncal& s) {
    // Pending calls are kept in the order of their first records.
    while (!m_Pendientes.empty()) Terminar(0, s);
}

bool Repetidos::Visto(std::string_view registro) {
    const std::uint64_t h = std::hash<std::string_view>{}(registro);
    if (m_Hashes.count(h)) {
        ++m_Repetidos;
        return true;
    }
    if (m_Anillo.size() < kRecordados) {
        m_Anillo.push_back(h);
    } else {
        m_Hashes.erase(m_Hashes.find(m_Anillo[m_Siguiente]));
        m_Anillo[m_Siguiente] = h;
        m_Siguiente = (m_Siguiente + 1) % kRecordados;
    }
    m_Hashes.insert(h);
    return false;
}

}  // namespace quelmar::llamadas
