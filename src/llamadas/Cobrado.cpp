#include "llamadas/Cobrado.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "llamadas/Textos.h"
#include "runtime/Importe.h"

namespace quelmar::llamadas {

bool LeerCobrado(std::string_view celda, std::optional<double>& importe, bool& coma) {
    const std::string_view s = RecortarBlancos(celda);
    importe.reset();
    if (s.empty()) return true;
    const auto motor = ImporteDeUsuario(s, ',');
    if (!motor || motor->empty()) return false;
    const double x = std::strtod(motor->c_str(), nullptr);
    if (!std::isfinite(x)) return false;
    if (s.find(',') != std::string_view::npos) coma = true;
    importe = x;
    return true;
}

double DiferenciaCobrada(double cobrado, double costeado) {
    return std::round((cobrado - costeado) * 100.0) / 100.0 + 0.0;
}

void RevisionFactura::Anotar(double diferencia) {
    ++revisadas;
    if (diferencia > 0) {
        ++mas;
        deMas += diferencia;
    } else if (diferencia < 0) {
        ++menos;
        deMenos -= diferencia;
    }
}

std::string RevisionFactura::Resumen(const std::function<std::string(double)>& importe) const {
    auto llamadas = [](std::size_t n) {
        return std::to_string(n) + (n == 1 ? " llamada" : " llamadas");
    };
    // The column is there but no call fills it: nothing was checked.
    if (!revisadas) return "factura: ninguna llamada trae importe cobrado";
    if (!mas && !menos)
        return "factura: " + llamadas(revisadas) + " con importe cobrado, todas como da la tarifa";
    return "factura: " + llamadas(mas) + (mas == 1 ? " cobrada" : " cobradas") + " de más (" +
           importe(deMas) + " en total) y " + std::to_string(menos) + " de menos (" +
           importe(deMenos) + ") de " + llamadas(revisadas) + " con importe cobrado";
}

void TotalesPorClave::Sumar(std::string_view clave, std::int64_t segundos, double importe) {
    auto it = m_Totales.find(clave);
    if (it == m_Totales.end())
        it = m_Totales.emplace(std::string(clave), TotalClave{std::string(clave)}).first;
    TotalClave& t = it->second;
    ++t.llamadas;
    t.segundos += segundos;
    t.importe += importe;
}

std::vector<TotalClave> TotalesPorClave::Ordenados() const {
    std::vector<TotalClave> r;
    r.reserve(m_Totales.size());
    for (const auto& [clave, t] : m_Totales) r.push_back(t);
    std::sort(r.begin(), r.end(), [](const TotalClave& a, const TotalClave& b) {
        return a.importe != b.importe ? a.importe > b.importe : a.clave < b.clave;
    });
    return r;
}

}  // namespace quelmar::llamadas
