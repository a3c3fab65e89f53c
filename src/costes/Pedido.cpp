#include "costes/Pedido.h"

#include "runtime/OleDate.h"

namespace quelmar::costes {

bool Intervalo::Contiene(double instante) const {
    const auto s = fecha::ASegundos(instante);
    return fecha::ASegundos(desde) <= s && s < fecha::ASegundos(hasta);
}

Intervalo IntervaloDeMes(int anio, unsigned mes) {
    const double inicio = fecha::DesdeCalendario(anio, mes, 1);
    return {inicio, fecha::SumarMeses(inicio, 1)};
}

std::optional<Intervalo> UltimoMesEntero(double primera, double ultima) {
    const fecha::Partes u = fecha::Descomponer(ultima);
    const auto inicioPrimera = fecha::ASegundos(fecha::SoloFecha(primera));
    const auto diaUltima = fecha::ASegundos(fecha::SoloFecha(ultima));
    // The month of the last call, then the one before it: no month before those can be
    // the last one covered whole.
    for (int atras = 0; atras < 2; ++atras) {
        Intervalo m = IntervaloDeMes(u.anio, static_cast<unsigned>(u.mes));
        if (atras == 1) m = {fecha::SumarMeses(m.desde, -1), m.desde};
        const auto ultimoDia = fecha::ASegundos(fecha::SumarDias(m.hasta, -1));
        if (inicioPrimera <= fecha::ASegundos(m.desde) && diaUltima >= ultimoDia) return m;
    }
    return std::nullopt;
}

std::optional<Intervalo> Resolver(const Periodo& p, double primera, double ultima) {
    switch (p.clase) {
        case Periodo::Clase::UltimoMesEntero:
            return UltimoMesEntero(primera, ultima);
        case Periodo::Clase::Mes:
            return IntervaloDeMes(p.anio, p.mes);
        case Periodo::Clase::Entre: {
            const double desde = p.desde ? fecha::SoloFecha(*p.desde) : primera;
            const double hasta = p.hasta ? fecha::SumarDias(fecha::SoloFecha(*p.hasta), 1)
                                         : fecha::SumarSegundos(ultima, 1);
            return Intervalo{desde, hasta};
        }
        case Periodo::Clase::Todo:
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace quelmar::costes
