#include "costes/Resultado.h"

#include <algorithm>
#include <unordered_map>

#include "llamadas/Cobrado.h"
#include "runtime/OleDate.h"

namespace quelmar::costes {

double Diferencia(const FilaLlamada& f) {
    return TieneCobrado(f) ? llamadas::DiferenciaCobrada(f.cobrado, f.importe) : 0.0;
}

Resumen Resumir(const Resultado& r) {
    Resumen s;
    // With no call in the period, the balance as read.
    s.bonoQuedaDia = r.bonosIniciales.SegundosGrupo(0);
    s.bonoQuedaNoche = r.bonosIniciales.SegundosGrupo(1);
    for (const std::uint32_t i : r.filas) {
        const FilaLlamada& f = r.todas[i];
        ++s.llamadas;
        s.importe += f.importe;
        s.segundos += f.segundos;
        s.bonoGastadoDia += f.gastadoDia;
        s.bonoGastadoNoche += f.gastadoNoche;
        s.bonoQuedaDia = f.bonoDia;
        s.bonoQuedaNoche = f.bonoNoche;
        if (TieneCobrado(f) && Diferencia(f) > 0) {
            ++s.cobradasDeMas;
            s.deMas += Diferencia(f);
        }
    }
    return s;
}

void Recortar(Resultado& r, const Periodo& p) {
    r.filas.clear();
    r.intervalo.reset();
    if (!r.todas.empty()) {
        double primera = r.todas.front().ini, ultima = primera;
        for (const FilaLlamada& f : r.todas) {
            if (fecha::ASegundos(f.ini) < fecha::ASegundos(primera)) primera = f.ini;
            if (fecha::ASegundos(f.ini) > fecha::ASegundos(ultima)) ultima = f.ini;
        }
        r.intervalo = Resolver(p, primera, ultima);
    }
    for (std::size_t i = 0; i < r.todas.size(); ++i)
        if (!r.intervalo || r.intervalo->Contiene(r.todas[i].ini))
            r.filas.push_back(static_cast<std::uint32_t>(i));
    r.filas.shrink_to_fit();
}

std::vector<TotalClave> TotalesPor(const Resultado& r, bool porCuenta) {
    std::unordered_map<std::uint32_t, TotalClave> porTexto;
    for (const std::size_t i : r.filas) {
        const FilaLlamada& f = r.todas[i];
        const std::uint32_t clave = porCuenta ? f.cuenta : f.origen;
        TotalClave& t = porTexto[clave];
        ++t.llamadas;
        t.segundos += f.segundos;
        t.importe += f.importe;
    }
    std::vector<TotalClave> filas;
    filas.reserve(porTexto.size());
    for (auto& [clave, t] : porTexto) {
        t.clave = r.Texto(clave);
        filas.push_back(std::move(t));
    }
    std::sort(filas.begin(), filas.end(), [](const TotalClave& a, const TotalClave& b) {
        return a.importe != b.importe ? a.importe > b.importe : a.clave < b.clave;
    });
    return filas;
}

}  // namespace quelmar::costes
