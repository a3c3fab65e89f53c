#include "costing/cCosteo.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "periods/cPeriodo.h"
#include "runtime/Checked.h"
#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"
#include "runtime/Texto.h"
#include "time/cTiempo.h"

namespace quelmar {

namespace {

constexpr std::int64_t kDia = fecha::kSegundosDia;

// The band an instant's code prices at: the normal band for 0, the reduced one otherwise.
constexpr ClaseBanda BandaDeCodigo(std::int16_t codigo) noexcept {
    return codigo == 0 ? ClaseBanda::Normal : ClaseBanda::Reducida;
}

const tTarifa::Campo& CampoDe(ClaseDia d, ClaseBanda b, ParteBanda p) noexcept {
    return tTarifa::CampoDe(d, b, p);
}

}  // namespace

void cCosteo::Festivos(const std::vector<Variant>& fes) {
    if (fes.empty()) Lanzar(kFueraDeRango, "a la lista de festivos le falta su entrada de reserva");
    const std::size_t n = fes.size() - 1;
    m_Festivos.assign(n + 1, 0.0);
    // The sorted copy follows m_Festivos on every way out: the entries converted before one
    // that fails are kept, and count.
    auto ordenar = [this] {
        m_FestivosOrdenados.clear();
        for (std::size_t i = 0; i + 1 < m_Festivos.size(); ++i)
            if (!std::isnan(m_Festivos[i])) m_FestivosOrdenados.push_back(m_Festivos[i]);
        std::sort(m_FestivosOrdenados.begin(), m_FestivosOrdenados.end());
    };
    // The loop limit is a 16-bit count: more than 32768 holidays overflow, after the resize.
    if (n > 32768) {
        ordenar();
        Lanzar(kDesbordamiento, "más de 32768 festivos");
    }
    try {
        for (std::size_t i = 0; i < n; ++i) m_Festivos[i] = CDate(fes[i]);
    } catch (...) {
        ordenar();
        throw;
    }
    ordenar();
}

ClaseDia cCosteo::TipoDiaSegundos(std::int64_t d) const {
    const std::int64_t n = fecha::DiaDeSegundos(d);
    const auto dia = static_cast<double>(n);  // the date at midnight
    if (std::binary_search(m_FestivosOrdenados.begin(), m_FestivosOrdenados.end(), dia))
        return ClaseDia::Festivo;
    // Day 0, 1899-12-30, was a Saturday.
    switch (((n % 7) + 7) % 7) {
        case 0:
            return ClaseDia::Sabado;
        case 1:
            return ClaseDia::Festivo;
        default:
            return ClaseDia::Semana;
    }
}

ClaseDia cCosteo::ClaseDeDia(double d) const {
    return TipoDiaSegundos(fecha::ASegundos(d));
}

// The old program's day kind codes.
std::int16_t cCosteo::TipoDia(double d) const {
    return static_cast<std::int16_t>(Orden(ClaseDeDia(d)));
}

// Band of an instant under tariff t: 0 inside the normal band (both ends inclusive, an
// empty band never matches), otherwise 1, or -1 when the reduced band is empty. Stored
// times are compared to the whole second.
std::int16_t cCosteo::TipoHora(std::int16_t t, std::int64_t d) const {
    const tTarifa& tar = Tarifa(t);
    const ClaseDia k = TipoDiaSegundos(d);
    const std::int64_t tv = fecha::SegundoDelDia(d);
    const auto segundos = [&](ClaseBanda b, ParteBanda p) {
        return fecha::ASegundos(tar.Fecha(CampoDe(k, b, p)));
    };
    const std::int64_t ni = segundos(ClaseBanda::Normal, ParteBanda::Inicio);
    const std::int64_t nf = segundos(ClaseBanda::Normal, ParteBanda::Fin);
    if (ni <= tv && tv <= nf && ni != nf) return 0;
    const std::int64_t ri = segundos(ClaseBanda::Reducida, ParteBanda::Inicio);
    const std::int64_t rf = segundos(ClaseBanda::Reducida, ParteBanda::Fin);
    return ri == rf ? -1 : 1;
}

// The normal band of the tariff at position 1 is day-group time; all else is night.
std::int16_t cCosteo::GrupoHora(std::int64_t d) const {
    return TipoHora(1, d) != 0 ? 1 : 0;
}

// Seconds from tv to the end of a band whose last second is E (inclusive); a band that
// runs over midnight measures across it. Between 1 second and 24 hours.
std::int32_t cCosteo::FinTramo(std::int32_t tv, double E) {
    const std::int32_t e = fecha::SegundoDelDia(fecha::ASegundos(E)) + 1;
    return tv < e ? e - tv : e + static_cast<std::int32_t>(kDia) - tv;
}

// ---- the costing ----

const tTarifa& cCosteo::Tarifa(std::int16_t t) const {
    return m_Catalogo->Registro(t);
}

void cCosteo::Datos(const cCatalogo& catalogo, std::int16_t t, double dIni, double dFin,
                    const cBono* m_Bono) {
    // The catalogue is lent for this call only, whatever way the call ends.
    struct Prestamo {
        const cCatalogo*& c;
        ~Prestamo() { c = nullptr; }
    } prestamo{m_Catalogo = &catalogo};

    if (m_Bono)
        m_BonoCalc.Copiar(*m_Bono);
    else
        m_BonoCalc.Reset();

    std::int64_t ini = fecha::ASegundos(dIni);
    const std::int64_t fin = fecha::ASegundos(dFin);
    cTiempo duracion;
    duracion.ConvTiempo(A32(fin - ini));

    m_Tipo = TipoHora(t, ini);
    m_BonoNet = !m_BonoCalc.EstaVacioGrupo(GrupoHora(ini));
    m_Importe = ImporteConexion(t, ini, fin);
    ImporteTiempo(t, ini, fin);
    m_Duracion = duracion.Valor();
    m_TipoActual = TipoHora(t, fin);
    m_BonoNetActual = !m_BonoCalc.EstaVacioGrupo(GrupoHora(fin));
}

// The connection charge, under the bono kind's tariff while the group has bono time;
// moves d past the connection time, whose hour field counts minutes and whose minute
// field counts seconds (a stored 02:30 is 2 minutes 30 seconds).
float cCosteo::ImporteConexion(std::int16_t t, std::int64_t& d, std::int64_t fin) {
    const std::int16_t g = GrupoHora(d);
    const bool conBono = !m_BonoCalc.EstaVacioGrupo(g);
    if (conBono) t = Sumar16(m_BonoCalc.Cual(g), 1);
    const tTarifa& tar = Tarifa(t);
    const auto cargo =
        static_cast<float>(NumeroInicial(tar.TextoBruto(tTarifa::CampoConexionImporte())));
    const std::int32_t s =
        fecha::SegundoDelDia(fecha::ASegundos(tar.Fecha(tTarifa::CampoConexionTiempo())));
    const std::int64_t inicio = d;
    d += 60 * (s / 3600) + s / 60 % 60;
    // Of a call shorter than the connection time, the stretch is the call.
    if (m_Observador)
        m_Observador->Tramo({cTramo::Clase::Conexion, conBono, g,
                             static_cast<std::int16_t>(TipoHora(t, inicio) == 0 ? 0 : 1), inicio,
                             static_cast<std::int32_t>(
                                 std::clamp<std::int64_t>(std::min(d, fin) - inicio, 0, INT32_MAX)),
                             cargo});
    return cargo;
}

cCosteo::PeriodosFactura::PeriodosFactura(std::uint8_t diaFactura, double desde, double hasta) {
    m_Periodo.Datos(diaFactura, 2);
    m_Periodo.Periodos(desde, hasta);
    m_Periodo.Reset();
}

// The periods' instants, as their texts would give them back, to the second.
std::optional<std::pair<std::int64_t, std::int64_t>> cCosteo::PeriodosFactura::Siguiente() {
    while (const auto p = m_Periodo.PeriodoFechas())
        if (!p->otro) return std::pair{fecha::ASegundos(p->ini), fecha::ASegundos(p->fin)};
    return std::nullopt;
}

bool cCosteo::SeRellenaEntre(std::uint8_t diaFactura, double desde, double hasta) {
    // Periods cover whole days, so two instants of one day share a period.
    if (fecha::DiaDeSegundos(fecha::ASegundos(desde)) ==
        fecha::DiaDeSegundos(fecha::ASegundos(hasta)))
        return false;
    PeriodosFactura periodos(diaFactura, desde, hasta);
    return periodos.Siguiente() && periodos.Siguiente();
}

// Prices the call period by billing period; the registry is refilled between periods, not
// after the last.
void cCosteo::ImporteTiempo(std::int16_t t, std::int64_t inicio, std::int64_t fin) {
    PeriodosFactura periodos(m_BonoCalc.DiaFactura(), fecha::DesdeSegundos(inicio),
                             fecha::DesdeSegundos(fin));
    for (auto tramo = periodos.Siguiente(); tramo;) {
        std::int64_t ini = tramo->first;
        const std::int64_t hasta = tramo->second;
        while (ini < hasta) m_Importe += ImporteTramo(t, ini, hasta);
        tramo = periodos.Siguiente();
        if (tramo) m_BonoCalc.Reset();
        if (tramo && m_Observador && tramo->first > ini)
            m_Observador->Tramo({cTramo::Clase::EntrePeriodos, false, GrupoHora(ini), -1, ini,
                                 static_cast<std::int32_t>(tramo->first - ini), 0.0f});
    }
}

// One segment from ini: to the end of its band, to where the bono kind's time runs out,
// or to fin, whichever comes first. Moves ini to the segment's end; returns its cost.
float cCosteo::ImporteTramo(std::int16_t t, std::int64_t& ini, std::int64_t fin) {
    const std::int64_t inicio = ini;
    const std::int16_t g = GrupoHora(ini);
    bool conBono = !m_BonoCalc.EstaVacioGrupo(g);
    std::int32_t tope = 0;
    if (conBono) {
        const std::int16_t tipo = m_BonoCalc.Cual(g);
        tope = tipo < 0 ? 0 : m_BonoCalc.SegundosTipo(tipo);
        // Only positive time can be charged: a registry whose kind holds none (or less
        // than none, after hand-set balances) prices the segment as if it had no bonos,
        // so every segment moves on.
        if (tope > 0)
            t = static_cast<std::int16_t>(tipo + 1);
        else
            conBono = false;
    }
    const tTarifa& tar = Tarifa(t);
    const ClaseDia k = TipoDiaSegundos(ini);
    const std::int16_t b = TipoHora(t, ini);
    const std::int32_t tv = fecha::SegundoDelDia(ini);
    const ClaseBanda banda = BandaDeCodigo(b);
    const double E = tar.Fecha(CampoDe(k, banda, ParteBanda::Fin));
    const auto p =
        static_cast<float>(NumeroInicial(tar.TextoBruto(CampoDe(k, banda, ParteBanda::Importe))));

    std::int32_t len = FinTramo(tv, E);
    if (conBono && len > tope) len = tope;
    ini += len;
    if (ini > fin) {
        len = FinTramo(tv, fecha::DesdeSegundos(fin - 1));
        ini = fin;
    }
    const auto coste = static_cast<float>(static_cast<double>(p) / 60.0 * len);
    if (m_Observador)
        m_Observador->Tramo({cTramo::Clase::Tiempo, conBono, g,
                             static_cast<std::int16_t>(b == 0 ? 0 : 1), inicio, len, coste});
    if (conBono) m_BonoCalc.RestarSegundos(GrupoHora(inicio), len, fecha::DesdeSegundos(inicio));
    return coste;
}

}  // namespace quelmar
