#include "llamadas/Costeo.h"

#include <exception>

#include "llamadas/Instantes.h"
#include "llamadas/Textos.h"
#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"
#include "runtime/Texto.h"
#include "runtime/Variant.h"

namespace quelmar::llamadas {

void LlevarRegistro(cBono& r, std::optional<double> finAnterior, double ini,
                    const AvisoCaducado& quitado) {
    for (std::int16_t i = 0; i < r.Count();) {
        const Variant caducidad = r.BajaPer(i);
        if (!caducidad.EsFecha() || !Antes(caducidad.fecha(), ini)) {
            ++i;
            continue;
        }
        if (quitado)
            quitado(std::string(RecortarEspacios(r.Nombre(i))), r.Alta(i), caducidad.fecha());
        r.Limpiar(Variant(i));
    }
    if (finAnterior && Antes(*finAnterior, ini) &&
        cCosteo::SeRellenaEntre(r.DiaFactura(), *finAnterior, ini))
        r.Reset();
}

std::optional<Costeador::Fallo> Costeador::Costear(const cCatalogo& catalogo, std::int16_t tarifa,
                                                   double ini, double fin, std::int64_t segundos,
                                                   const AvisoCaducado& quitado) {
    if (m_Respaldo && (!m_HayAntes || !m_Motor.Bono().MismosTiempos(m_Antes))) {
        m_Antes = m_Motor.Bono();
        m_HayAntes = true;
    }
    try {
        LlevarRegistro(m_Motor.Bono(), m_FinAnterior, ini, quitado);
        m_Motor.Datos(catalogo, tarifa, ini, fin, &m_Motor.Bono());
    } catch (const std::exception& e) {
        if (m_Respaldo) m_Motor.Bono() = m_Antes;
        // The billing period of a call late in 9999 ends past the last date there is.
        const auto* re = dynamic_cast<const RuntimeError*>(&e);
        return Fallo{MensajeEngine(e), re && re->Numero() == 6 && fecha::Anio(fin) == 9999};
    }
    m_FinAnterior = fin;
    m_Importe += m_Motor.importe();
    m_Segundos += segundos;
    ++m_Llamadas;
    return std::nullopt;
}

}  // namespace quelmar::llamadas
