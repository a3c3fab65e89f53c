#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "bono/cBono.h"
#include "catalogue/cCatalogo.h"
#include "catalogue/tTarifa.h"
#include "periods/cPeriodo.h"
#include "runtime/Variant.h"

namespace quelmar {

// One stretch of a call as Datos prices it.
struct cTramo {
    enum class Clase : std::uint8_t {
        Conexion,      // the connection charge, over the connection time
        Tiempo,        // time at one price: to a band end, a period end, or bono time's end
        EntrePeriodos  // the second between two billing periods, never charged
    };
    Clase clase;
    bool bono;            // priced under the bono kind's tariff while its group had time
    std::int16_t grupo;   // the bono group of its first second: 0 day, 1 night
    std::int16_t banda;   // 0 normal, 1 reduced, of the tariff that priced it (-1 between periods)
    std::int64_t inicio;  // its first second on fecha::ASegundos's scale
    std::int32_t segundos;
    float importe;
};

// Told every stretch of every call Datos costs, in order. The amounts, added in that order
// as floats, are importe; the seconds add up to the call's length.
class ObservadorTramos {
  public:
    virtual void Tramo(const cTramo& t) = 0;

  protected:
    ~ObservadorTramos() = default;
};

// The costing half of cLlamada: the holiday list, day kinds, bands and bono groups, the
// cost of a call over a tariff store (cCatalogo) and the engine's own bono registry, kept
// between calls. cLlamada holds one and its costing interface (Festivos, TipoDia, Datos
// and the results) forwards here; the command line uses it directly over a store loaded
// once. This is where to read how a call is costed.
//
// Instants are whole seconds on the continuous scale of fecha::ASegundos (day * 86400 +
// second of the day), so every segment lasts whole seconds.
class cCosteo {
  public:
    // Bono time refills at the start of every billing period (two-month class, the
    // registry's billing day): these are the periods from one whole second to another, in
    // order, each as its first and last second. The registry starts the first as it is
    // and every later one full.
    class PeriodosFactura {
      public:
        PeriodosFactura(std::uint8_t diaFactura, double desde, double hasta);
        std::optional<std::pair<std::int64_t, std::int64_t>> Siguiente();

      private:
        cPeriodo m_Periodo;
    };

    // Whether a registry carried from instant `desde` to a later `hasta` is full again at
    // `hasta`: some billing period begins between them.
    static bool SeRellenaEntre(std::uint8_t diaFactura, double desde, double hasta);

    // The holiday list from an array whose last entry is a spare and is never read (error
    // 13 for an entry that is no date, the ones before it kept; 9 for an empty array; 6
    // for more than 32768 holidays).
    void Festivos(const std::vector<Variant>& fes);
    // 0 weekday, 1 Saturday, 2 Sunday or a date of the holiday list.
    std::int16_t TipoDia(double d) const;
    // The same, typed: Festivo for Sundays and holidays.
    ClaseDia ClaseDeDia(double d) const;

    // Costs a call from dIni to dFin under tariff t of `catalogo`, loaded and found by the
    // caller. With m_Bono the registry becomes a copy of it, without it is refilled.
    void Datos(const cCatalogo& catalogo, std::int16_t t, double dIni, double dFin,
               const cBono* m_Bono);

    // Whom Datos tells each stretch of the calls it costs; nobody by default.
    void Observador(ObservadorTramos* o) noexcept { m_Observador = o; }

    float importe() const noexcept { return m_Importe; }
    const std::string& Duracion() const noexcept { return m_Duracion; }
    std::int16_t Tipo() const noexcept { return m_Tipo; }
    std::int16_t TipoActual() const noexcept { return m_TipoActual; }
    bool BonoNet() const noexcept { return m_BonoNet; }
    bool BonoNetActual() const noexcept { return m_BonoNetActual; }
    cBono& Bono() noexcept { return m_BonoCalc; }
    const cBono& Bono() const noexcept { return m_BonoCalc; }

  private:
    const tTarifa& Tarifa(std::int16_t t) const;
    std::int16_t TipoHora(std::int16_t t, std::int64_t d) const;
    std::int16_t GrupoHora(std::int64_t d) const;
    float ImporteConexion(std::int16_t t, std::int64_t& d, std::int64_t fin);
    void ImporteTiempo(std::int16_t t, std::int64_t inicio, std::int64_t fin);
    float ImporteTramo(std::int16_t t, std::int64_t& ini, std::int64_t fin);
    static std::int32_t FinTramo(std::int32_t tv, double E);
    ClaseDia TipoDiaSegundos(std::int64_t d) const;

    // The catalogue of the call being costed; set for the length of Datos only.
    const cCatalogo* m_Catalogo = nullptr;
    ObservadorTramos* m_Observador = nullptr;
    std::vector<double> m_Festivos = std::vector<double>(1, 0.0);
    // The holidays sorted (NaN, which equals no day, left out): a day is looked up in
    // logarithmic time, also among tens of thousands of holidays.
    std::vector<double> m_FestivosOrdenados;
    float m_Importe = 0.0f;
    std::string m_Duracion;
    std::int16_t m_Tipo = 0;
    std::int16_t m_TipoActual = 0;
    bool m_BonoNet = false;
    bool m_BonoNetActual = false;
    cBono m_BonoCalc;
};

}  // namespace quelmar
