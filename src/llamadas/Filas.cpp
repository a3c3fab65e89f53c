#include "llamadas/Filas.h"

namespace quelmar::llamadas {

void Filas::Costeada(const Llamada& l, const cCosteo& motor, const cBono& antes) {
    if (m_Por != Agrupar::Nada) m_Totales.Sumar(ClaveDe(l, m_Por), l.segundos, motor.importe());
    // `antes`, the registry after the previous call, is the one they were last worked out
    // for.
    if (!m_TotalesVistos || !motor.Bono().MismosTiempos(antes)) {
        m_Dia = motor.Bono().TotalTiempoGrupo(0);
        m_Noche = motor.Bono().TotalTiempoGrupo(1);
        m_TotalesVistos = true;
    }
    std::optional<double> diferencia;
    if (l.cobrado) diferencia = DiferenciaCobrada(*l.cobrado, motor.importe());
    Fila({l, motor, m_Dia, m_Noche, diferencia});
}

}  // namespace quelmar::llamadas
