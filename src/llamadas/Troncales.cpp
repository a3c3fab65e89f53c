#include "llamadas/Troncales.h"

#include <algorithm>
#include <cstring>
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
    l.segunBillsec = segunBillsec;
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
    Pendiente& p = m_Pendientes[i];
    p.activa = false;
    if (p.saliente)
        s.Saliente(p.llamada);
    else
        ++m_Entrantes;
}

// The pending call that ended before `ini` (any when none is given) whose first record is
// the earliest; SIZE_MAX when none.
std::size_t Troncales::Primera(const double* ini) const {
    std::size_t r = SIZE_MAX;
    for (std::size_t i = 0; i < m_Pendientes.size(); ++i) {
        const Pendiente& p = m_Pendientes[i];
        if (p.activa && (!ini || Antes(p.llamada.fin, *ini)) &&
            (r == SIZE_MAX || p.llamada.linea < m_Pendientes[r].llamada.linea))
            r = i;
    }
    return r;
}

Troncales::Sentido Troncales::Anotar(const Registro& r, std::size_t linea, SalidaTroncal& s) {
    const Llamada& l = r.llamada;
    // Calls that ended before this record started are whole: handed on in their order.
    for (std::size_t i; (i = Primera(&l.ini)) != SIZE_MAX;) Terminar(i, s);
    bool comoDestino = false;
    const std::string_view canal = CanalTroncal(r, comoDestino);
    if (canal.empty()) {
        ++m_Internas;
        return Sentido::Interna;
    }
    std::size_t libre = SIZE_MAX;
    for (std::size_t i = 0; i < m_Pendientes.size(); ++i) {
        Pendiente& p = m_Pendientes[i];
        if (!p.activa) {
            if (libre == SIZE_MAX) libre = i;
            continue;
        }
        if (p.canal != canal) continue;
        LlamadaTroncal& t = p.llamada;
        if (Antes(l.ini, t.ini)) t.ini = l.ini, t.textoIni = l.textoIni;
        if (Antes(t.fin, l.fin)) t.fin = l.fin, t.textoFin = l.textoFin;
        t.segundos = fecha::SegundosEntre(t.ini, t.fin);
        t.segunBillsec = t.segunBillsec || l.segunBillsec;
        ++t.registros;
        if (p.saliente) ++m_Unidas;
        return p.saliente ? Sentido::Saliente : Sentido::Entrante;
    }
    if (libre == SIZE_MAX) {
        libre = m_Pendientes.size();
        m_Pendientes.emplace_back();
    }
    // A slot used before: its texts' room is used again.
    Pendiente& p = m_Pendientes[libre];
    p.activa = true;
    p.canal = canal;
    p.saliente = comoDestino;
    LlamadaTroncal& t = p.llamada;
    t.ini = l.ini, t.fin = l.fin, t.segundos = l.segundos;
    t.linea = linea;
    t.registros = 1;
    t.segunBillsec = l.segunBillsec;
    if (p.saliente) {
        t.textoIni = l.textoIni, t.textoFin = l.textoFin;
        t.numero = l.numero, t.origen = l.origen, t.cuenta = l.cuenta;
        t.cobrado = l.cobrado;
        t.columnaCobrado = l.columnaCobrado;
    }
    return comoDestino ? Sentido::Saliente : Sentido::Entrante;
}

void Troncales::Vaciar(SalidaTroncal& s) {
    for (std::size_t i; (i = Primera(nullptr)) != SIZE_MAX;) Terminar(i, s);
}

namespace {

// A hash of the record's bytes, four lanes of eight bytes at a time so that they run side
// by side: every record is hashed, and a PBX's are long.
std::uint64_t Hash(std::string_view t) {
    constexpr std::uint64_t k = 0xBF58476D1CE4E5B9ULL;
    std::uint64_t h[4] = {0x9E3779B97F4A7C15ULL ^ t.size(), 1, 2, 3};
    std::size_t i = 0;
    for (; i + 32 <= t.size(); i += 32)
        for (std::size_t j = 0; j < 4; ++j) {
            std::uint64_t w;
            std::memcpy(&w, t.data() + i + 8 * j, 8);
            h[j] = (h[j] ^ w) * k;
            h[j] ^= h[j] >> 31;
        }
    for (std::size_t j = 0; i < t.size(); i += 8, ++j) {
        std::uint64_t w = 0;
        std::memcpy(&w, t.data() + i, std::min<std::size_t>(8, t.size() - i));
        h[j] = (h[j] ^ w) * k;
    }
    std::uint64_t r = h[0] ^ (h[1] * 0x94D049BB133111EBULL) ^ (h[2] * k) ^ (h[3] << 1);
    r *= 0x94D049BB133111EBULL;
    return r ^ (r >> 29);
}

}  // namespace

bool Repetidos::Visto(std::string_view registro) {
    if (m_Tabla.empty()) m_Tabla.resize(kHuecos);
    const std::uint64_t h = Hash(registro) | 1;
    // A set of kVias places, the newest first: one cache line.
    std::uint64_t* via = &m_Tabla[(h % (kHuecos / kVias)) * kVias];
    for (std::size_t i = 0; i < kVias; ++i)
        if (via[i] == h) {
            ++m_Repetidos;
            return true;
        }
    for (std::size_t i = kVias - 1; i > 0; --i) via[i] = via[i - 1];
    via[0] = h;
    return false;
}

}  // namespace quelmar::llamadas
