#include "llamadas/Recopilacion.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "catalogue/tTarifa.h"
#include "llamadas/Instantes.h"

namespace quelmar::llamadas {

void Recopilacion::Costeada(const Llamada& l, const cCosteo& m, const cBono& antes) {
    if (!m_Primero || Antes(l.ini, *m_Primero)) m_Primero = l.ini;
    if (!m_Final || Antes(*m_Final, l.fin)) m_Final = l.fin;
    m_Candidatas.Anadir({l.ini, l.fin, l.segundos});
    if (m_Por != Agrupar::Nada) m_PorClave.Sumar(ClaveDe(l, m_Por), l.segundos, m.importe());
    if (l.cobrado) AnotarCobro(l, m);
    bool bono = false;
    const std::int64_t dia = fecha::DiaDeSegundos(fecha::ASegundos(l.ini));
    for (const cTramo& t : m_Pendientes) {
        Contar(t, dia);
        bono = bono || t.bono;
    }
    m_Pendientes.clear();
    ++m_Dias[dia].llamadas;
    if (m_Filas.size() < kLlamadasListadas)
        m_Filas.push_back({l.ini, l.fin, l.tarifa->utf8, m.importe(), m.Duracion(), bono});
    if (!m_ConBonos) return;
    // The group totals only change when the call changed the registry.
    if (m_Saldos.empty() || m_SaldoViejo || !m.Bono().MismosTiempos(antes)) {
        m_Ultimo = {m.Bono().SegundosGrupo(0), m.Bono().SegundosGrupo(1)};
        m_SaldoViejo = false;
    }
    m_Saldos.push_back({l.fin, m_Ultimo});
    if (m_Saldos.size() >= m_SaldosMaximos) Aclarar();
}

void Recopilacion::AnotarCobro(const Llamada& l, const cCosteo& m) {
    const double d = DiferenciaCobrada(*l.cobrado, m.importe());
    if (d <= 0) return;
    m_DeMas.push_back({l.ini, l.tarifa->utf8, std::string(l.numero), m.importe(), *l.cobrado, d});
    if (m_DeMas.size() >= 4 * kCobrosListados) {
        std::stable_sort(m_DeMas.begin(), m_DeMas.end(), MayorDiferencia);
        m_DeMas.resize(kCobrosListados);
    }
}

void Recopilacion::Aclarar() {
    const double t0 = m_Saldos.front().instante;
    const double paso = std::max(m_Saldos.back().instante - t0, 1.0) / (700.0 * 16);
    auto trozo = [&](const Saldo& s) { return std::floor((s.instante - t0) / paso); };
    std::size_t n = 1;
    for (std::size_t i = 1; i < m_Saldos.size(); ++i)
        if (i + 1 == m_Saldos.size() || trozo(m_Saldos[i]) != trozo(m_Saldos[i + 1]))
            m_Saldos[n++] = m_Saldos[i];
    m_Saldos.resize(n);
    // A log out of order may leave many: the next thinning waits for twice as many.
    m_SaldosMaximos = std::max(kSaldosGuardados, 2 * n);
}

void Recopilacion::Contar(const cTramo& t, std::int64_t dia) {
    m_Dias[dia].importe[RepartoDe(t)] += t.importe;
    if (t.bono && t.clase == cTramo::Clase::Tiempo) {
        m_BonoUsado[t.grupo == 0 ? 0 : 1] += t.segundos;
        m_Dias[dia].segundosBono += t.segundos;
    }
    // The minutes by hour of the day and day kind, hour by hour.
    for (std::int64_t s = t.inicio, fin = t.inicio + t.segundos; s < fin;) {
        const std::int64_t hasta = std::min(fin, s + 3600 - fecha::SegundoDelDia(s) % 3600);
        const auto h = static_cast<std::size_t>(fecha::SegundoDelDia(s) / 3600);
        m_Horas[TipoDia(fecha::DiaDeSegundos(s))][h] += static_cast<double>(hasta - s) / 60.0;
        s = hasta;
    }
}

std::size_t Recopilacion::TipoDia(std::int64_t dia) {
    if (dia != m_DiaTipo) {
        m_DiaTipo = dia;
        m_Tipo = Orden(m_Motor.ClaseDeDia(fecha::DesdeSegundos(dia * kDia)));
    }
    return m_Tipo;
}

}  // namespace quelmar::llamadas
