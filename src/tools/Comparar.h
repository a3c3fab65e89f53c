#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "bono/cBono.h"
#include "costing/cCosteo.h"
#include "costing/cLlamada.h"
#include "tools/Costear.h"
#include "tools/Recorrido.h"

namespace quelmar::herramientas {

// A call of the log kept to be costed again under other tariffs.
struct LlamadaGuardada {
    double ini, fin;
    std::int64_t segundos;
};

// Keeps every call of a run: those costed and those whose tariff the catalogue lacks,
// which any tariff of the catalogue can still cost.
class GuardarLlamadas : public DestinoLlamadas {
  public:
    void Costeada(const Llamada& l, const cLlamada&, const cBono&) override {
        m_Llamadas.push_back({l.ini, l.fin, l.segundos});
    }
    void SinTarifa(const Llamada& l) override {
        m_Llamadas.push_back({l.ini, l.fin, l.segundos});
        ++m_SinTarifa;
    }
    const std::vector<LlamadaGuardada>& Llamadas() const { return m_Llamadas; }
    // How many calls the log costed under its own tariffs leaves out.
    std::size_t SinTarifa() const { return m_SinTarifa; }

  private:
    std::vector<LlamadaGuardada> m_Llamadas;
    std::size_t m_SinTarifa = 0;
};

// "N líneas nombran una tarifa ...": what the total with the log's own tariffs leaves out
// that every candidate counts; nothing when none.
std::string LineasSinTarifa(std::size_t n);

// Where a stretch of a call counts in comparar's minutes and informe's amounts: bono time
// first (whatever band it fell in), else the band of the tariff that priced it.
enum Reparto : std::size_t { kNormal, kReducida, kBono };
inline Reparto RepartoDe(const cTramo& t) {
    return t.bono ? kBono : t.banda == 0 ? kNormal : kReducida;
}

// What the whole log would cost under one tariff.
struct Candidata {
    std::string tarifa;    // UTF-8
    std::string celda;     // as a CSV cell
    double importe = 0.0;  // the calls' importe added in line order, as costear adds them
    std::int64_t segundos = 0, normal = 0, reducida = 0, bono = 0;
    std::size_t llamadas = 0;
    // Why the engine could not cost some call under it; its other figures then mean nothing.
    std::optional<std::string> fallo;
};

// Costs the calls once under each tariff of the loaded catalogue but the bono kinds'
// (positions 1 to 4), each run from the prepared registry and holidays with the registry
// carried from call to call and refilled as costear does. Cheapest first, catalogue order between
// equals. `avance` (may be null) is told each tariff before it is costed.
std::vector<Candidata> CostearCandidatas(const cLlamada& m, const Preparacion& p,
                                         const std::vector<LlamadaGuardada>& llamadas,
                                         std::FILE* avance);

// tarificador comparar: the log costed under its own tariffs (bad lines told as costear
// tells them), then under every candidate; one row per candidate on `salida`, CSV or JSON.
int Comparar(const OpcionesCosteo& o, std::FILE* entrada, std::FILE* salida, std::FILE* errores);

}  // namespace quelmar::herramientas
