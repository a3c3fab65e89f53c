#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "bono/cBono.h"
#include "costing/cCosteo.h"
#include "llamadas/Cobrado.h"
#include "llamadas/Llamada.h"

namespace quelmar::llamadas {

// One row of costs: a call and what the engine made of it.
struct FilaCosteada {
    const Llamada& llamada;
    // importe, Duracion, Tipo, TipoActual, BonoNet and BonoNetActual of the call.
    const cCosteo& motor;
    // The bono time left in each group after the call, H:MM:SS.
    std::string_view bonoDia, bonoNoche;
    // Charged minus costed, to the cent, when the record gives the amount charged.
    std::optional<double> diferencia;
};

// The rows of a run, one per call costed, with their totals by a key: what a front end
// writes (costear's CSV and JSON) or shows (a window's table) derives from this and
// takes each row as it comes.
class Filas : public DestinoLlamadas {
  public:
    explicit Filas(Agrupar por) : m_Por(por) {}

    void Costeada(const Llamada& l, const cCosteo& motor, const cBono& antes) final;
    void Fuera(const Llamada&) final { m_TotalesVistos = false; }
    // The calls' totals by the key asked for (none for Agrupar::Nada).
    const TotalesPorClave& Totales() const { return m_Totales; }

  protected:
    ~Filas() = default;
    virtual void Fila(const FilaCosteada& f) = 0;

  private:
    const Agrupar m_Por;
    TotalesPorClave m_Totales;
    // The registry's group totals, worked out again only when a call changed the registry.
    std::string m_Dia, m_Noche;
    bool m_TotalesVistos = false;
};

}  // namespace quelmar::llamadas
