#include "costing/cLlamada.h"

namespace quelmar {

void cLlamada::Datos(double dIni, double dFin, const cBono* m_Bono, std::string_view sTar) {
    m_Catalogo.Load();
    const std::int16_t t =
        m_Catalogo.Find(sTar.empty() ? std::string_view(m_Catalogo.NombreTarifa()) : sTar);
    if (t == -1) return;
    m_Costeo.Datos(m_Catalogo, t, dIni, dFin, m_Bono);
}

}  // namespace quelmar
