#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "bono/cBono.h"
#include "costing/cCosteo.h"
#include "llamadas/Candidatas.h"
#include "llamadas/Cobrado.h"
#include "llamadas/Llamada.h"
#include "runtime/OleDate.h"

namespace quelmar::llamadas {

// ---- what the report shows, gathered as the file is costed ----

constexpr std::int64_t kDia = fecha::kSegundosDia;
// The page lists this many calls and bad lines; the rest are counted.
constexpr std::size_t kLlamadasListadas = 500;
constexpr std::size_t kMalasListadas = 200;

// ---- what the page shows, gathered as the log is costed ----

struct Dia {
    std::array<double, 3> importe{};  // by Reparto
    std::size_t llamadas = 0;
    std::int64_t segundosBono = 0;  // of connection time the bonos paid
};

struct FilaLlamada {
    double ini, fin;
    std::string tarifa;
    float importe;
    std::string duracion;
    bool bono;
};

// A call charged more than its tariff gives.
struct CobroDeMas {
    double ini;
    std::string tarifa, numero;
    double importe, cobrado, diferencia;
};
// The page lists this many of them, the largest differences.
constexpr std::size_t kCobrosListados = 100;

// Bono time left after a call, per group, in seconds.
struct Saldo {
    double instante;
    std::array<std::int32_t, 2> grupo;
};

// The bono line keeps every point up to this many; past it, see Aclarar.
constexpr std::size_t kSaldosGuardados = 1 << 16;

// Gathers what the page shows while the log is costed: sums by day and hour, the first
// rows, and the candidates fed as the run goes; no list of every call. The stretches of a
// call count once the call is costed whole: those of a call the engine gave up on are
// dropped.
class Recopilacion : public DestinoLlamadas, public ObservadorTramos {
  public:
    // `conBonos`: whether the run starts with bonos, and so the page draws their line.
    Recopilacion(const cCosteo& motor, CosteoCandidatas& candidatas, bool conBonos, Agrupar por)
        : m_Motor(motor), m_Candidatas(candidatas), m_ConBonos(conBonos), m_Por(por) {}

    void Costeada(const Llamada& l, const cCosteo& m, const cBono& antes) override;

    void Fuera(const Llamada& l) override {
        m_Pendientes.clear();
        m_SaldoViejo = true;
        m_Candidatas.Anadir({l.ini, l.fin, l.segundos, false});
    }
    void SinTarifa(const Llamada& l) override {
        ++m_SinTarifa;
        m_Candidatas.Anadir({l.ini, l.fin, l.segundos});
    }
    void Mala(std::size_t linea, const std::string& motivo) override {
        m_Pendientes.clear();
        if (m_Malas.size() < kMalasListadas) m_Malas.emplace_back(linea, motivo);
    }

    ObservadorTramos* Observador() override { return this; }

    void Tramo(const cTramo& t) override {
        if (t.clase != cTramo::Clase::EntrePeriodos) m_Pendientes.push_back(t);
    }

    const std::map<std::int64_t, Dia>& Dias() const { return m_Dias; }
    const std::array<std::array<double, 24>, 3>& Horas() const { return m_Horas; }
    const std::vector<FilaLlamada>& Filas() const { return m_Filas; }
    const std::vector<Saldo>& Saldos() const { return m_Saldos; }
    const std::vector<std::pair<std::size_t, std::string>>& Malas() const { return m_Malas; }
    const std::array<std::int64_t, 2>& BonoUsado() const { return m_BonoUsado; }
    // Lines naming a tariff the catalogue lacks: out of the log's own total.
    std::size_t SinTarifa() const { return m_SinTarifa; }

    // The first start and the last end of the calls costed; none without calls.
    const std::optional<double>& Primero() const { return m_Primero; }
    const std::optional<double>& Ultimo() const { return m_Final; }

    Agrupar Por() const { return m_Por; }
    const TotalesPorClave& PorClave() const { return m_PorClave; }
    // The calls charged more, largest difference first (the first kCobrosListados).
    std::vector<CobroDeMas> DeMas() const {
        std::vector<CobroDeMas> r = m_DeMas;
        std::stable_sort(r.begin(), r.end(), MayorDiferencia);
        if (r.size() > kCobrosListados) r.resize(kCobrosListados);
        return r;
    }

  private:
    static bool MayorDiferencia(const CobroDeMas& a, const CobroDeMas& b) {
        return a.diferencia > b.diferencia;
    }
    // Only the largest differences are kept: the list never grows with the log.
    void AnotarCobro(const Llamada& l, const cCosteo& m);

    // A long log's bono line: of the points that fall in one sixteenth of a pixel column
    // of the chart as it would be drawn now, only the last of each run is kept (the
    // first point too: the chart starts there). The chart draws the last value of each
    // column, so the line changes only where a column's edge moves past a dropped point.
    void Aclarar();

    // A stretch of a call that started on `dia`: its amount counts for that day.
    void Contar(const cTramo& t, std::int64_t dia);

    // 0 weekday, 1 Saturday, 2 Sunday or holiday; the last day asked is remembered.
    std::size_t TipoDia(std::int64_t dia);

    const cCosteo& m_Motor;
    CosteoCandidatas& m_Candidatas;
    const bool m_ConBonos;
    std::size_t m_SaldosMaximos = kSaldosGuardados;
    const Agrupar m_Por;
    TotalesPorClave m_PorClave;
    std::vector<CobroDeMas> m_DeMas;
    std::map<std::int64_t, Dia> m_Dias;
    std::array<std::array<double, 24>, 3> m_Horas{};
    std::vector<FilaLlamada> m_Filas;
    std::vector<Saldo> m_Saldos;
    std::array<std::int32_t, 2> m_Ultimo{};
    std::vector<std::pair<std::size_t, std::string>> m_Malas;
    std::array<std::int64_t, 2> m_BonoUsado{};
    std::size_t m_SinTarifa = 0;
    std::optional<double> m_Primero, m_Final;
    bool m_SaldoViejo = false;         // calls outside the period changed the registry unseen
    std::vector<cTramo> m_Pendientes;  // of the call being costed
    std::int64_t m_DiaTipo = INT64_MIN;
    std::size_t m_Tipo = 0;
};

}  // namespace quelmar::llamadas
