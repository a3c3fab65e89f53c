#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "bono/cBono.h"
#include "catalogue/cCatalogo.h"
#include "costing/cCosteo.h"

namespace quelmar::llamadas {

// A registry carried to the start `ini` of a call from the end of the one before it,
// `finAnterior` (none for the first call): the bonos whose expiry date is before `ini`
// removed, as Limpiar would if the program ran at that moment, each told to `quitado`
// (kind, alta, expiry) when given; then full again when a billing period began in between.
using AvisoCaducado = std::function<void(const std::string& tipo, double alta, double caducidad)>;
void LlevarRegistro(cBono& r, std::optional<double> finAnterior, double ini,
                    const AvisoCaducado& quitado = {});

// The one rule by which calls are costed one after another, for the rows, for every
// candidate tariff and for the report alike: the registry carried to the call's start
// (LlevarRegistro), the call costed through cCosteo, its amount and time added up.
class Costeador {
  public:
    // Why the engine could not cost a call: its words, and whether it is because the
    // call's billing period ends past the last date there is.
    struct Fallo {
        std::string mensaje;
        bool finDeFechas = false;
    };

    // `respaldo`: whether a call that fails leaves the registry as it was before it (a
    // run goes on after a bad record; a candidate stops at its first).
    explicit Costeador(bool respaldo) : m_Respaldo(respaldo) {}

    cCosteo& Motor() { return m_Motor; }
    const cCosteo& Motor() const { return m_Motor; }

    // Costs the call from `ini` to `fin` (`segundos` long) under the tariff at position
    // `tarifa` of `catalogo`; nothing when costed (then added up), else why not.
    std::optional<Fallo> Costear(const cCatalogo& catalogo, std::int16_t tarifa, double ini,
                                 double fin, std::int64_t segundos,
                                 const AvisoCaducado& quitado = {});

    // The end of the last call costed, none before the first.
    const std::optional<double>& FinAnterior() const { return m_FinAnterior; }
    // The registry before the last call costed (only with `respaldo`).
    const cBono& Antes() const { return m_Antes; }

    double Importe() const { return m_Importe; }
    std::int64_t Segundos() const { return m_Segundos; }
    std::size_t Llamadas() const { return m_Llamadas; }

  private:
    cCosteo m_Motor;
    const bool m_Respaldo;
    // Kept so that no call allocates for it: copied again only when the last call changed
    // the bono times.
    cBono m_Antes;
    bool m_HayAntes = false;
    std::optional<double> m_FinAnterior;
    double m_Importe = 0.0;  // added in the calls' order
    std::int64_t m_Segundos = 0;
    std::size_t m_Llamadas = 0;
};

}  // namespace quelmar::llamadas
