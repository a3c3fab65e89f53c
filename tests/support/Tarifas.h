#pragma once

// Tariffs written field by field, for the tests and benchmarks that build catalogues.

#include <cstdint>
#include <string>
#include <utility>

#include "runtime/OleDate.h"
#include "runtime/Variant.h"

namespace quelmar::prueba {

inline Variant Hora(int h, int m, int s = 0) {
    return Variant::DeFecha(fecha::DesdeHora(h, m, s));
}

struct Banda {
    std::string importe;
    Variant inicio, fin;
};

// The two bands of a day kind.
struct Dia {
    Banda normal, reducida;
};

// Appends a tariff with its name, connection charge and time and the bands of each day
// kind; answers its index. On a store (cCatalogo) or the old face (cLlamada) alike.
template <class Catalogo>
std::int16_t AnadirTarifa(Catalogo& c, const std::string& nombre, const std::string& conexion,
                          const Variant& tiempo, const Dia& semana, const Dia& sabado,
                          const Dia& festivo) {
    c.Add();
    const auto i = static_cast<std::int16_t>(c.Count() - 1);
    c.Valor(i, "Nombre", Variant(nombre));
    c.Valor(i, "Conexion.Importe", Variant(conexion));
    c.Valor(i, "Conexion.Tiempo", tiempo);
    for (const auto& [dia, d] :
         {std::pair{"Semana.", &semana}, {"Sabado.", &sabado}, {"Festivo.", &festivo}}) {
        for (const auto& [banda, b] :
             {std::pair{"Normal.", &d->normal}, {"Reducida.", &d->reducida}}) {
            const std::string k = std::string(dia) + banda;
            c.Valor(i, k + "Importe", Variant(b->importe));
            c.Valor(i, k + "Inicio", b->inicio);
            c.Valor(i, k + "Fin", b->fin);
        }
    }
    return i;
}

// The same bands on every day kind.
template <class Catalogo>
std::int16_t AnadirTarifa(Catalogo& c, const std::string& nombre, const std::string& conexion,
                          const Variant& tiempo, const Dia& todos) {
    return AnadirTarifa(c, nombre, conexion, tiempo, todos, todos, todos);
}

}  // namespace quelmar::prueba
