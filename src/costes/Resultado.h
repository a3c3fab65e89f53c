#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bono/cBono.h"
#include "costes/Pedido.h"

namespace quelmar::costes {

// One call costed, small: a log of a million calls is held whole. Texts are positions in
// Resultado::textos.
struct FilaLlamada {
    double ini, fin;
    double cobrado;  // NaN: the log charges nothing for it
    float importe;
    std::int32_t segundos;
    std::int32_t bonoDia, bonoNoche;        // the group's seconds left after the call
    std::int32_t gastadoDia, gastadoNoche;  // the bono seconds it used
    std::uint32_t tarifa, numero, origen, cuenta;
    std::int16_t tipo, tipoActual;
    bool bonoNet, bonoNetActual;
};

// What the calls of one key (extension or account) add up to.
struct TotalClave {
    std::string clave;
    std::size_t llamadas = 0;
    std::int64_t segundos = 0;
    double importe = 0.0;
};

// What the calls looked at would cost under one tariff of the catalogue.
struct Candidata {
    std::string tarifa;
    double importe = 0.0;
    std::int64_t segundos = 0, normal = 0, reducida = 0, bono = 0;
    std::optional<std::string> fallo;  // why it could not be costed
};

// A bad record or a warning, with its place ("llamadas.csv:12") when it has one.
struct Aviso {
    std::string lugar, texto;
};

// Records not costed, by why.
struct Apartados {
    std::size_t malas = 0;
    // The format's reasons with their counts ("NO ANSWER", ...), only those with one.
    std::vector<std::pair<std::string, std::size_t>> porQue;
    // What the format says of how it read the file, a sentence each.
    std::vector<std::string> notas;
};

// Everything one run gives the window.
struct Resultado {
    std::vector<std::string> textos;     // tariffs, numbers, extensions, accounts
    std::vector<FilaLlamada> todas;      // every call costed, in line order
    std::optional<Intervalo> intervalo;  // the period looked at; none: the whole file
    std::vector<std::uint32_t> filas;    // positions in `todas` inside the period
    std::vector<Candidata> ranking;      // cheapest first
    std::vector<Aviso> avisos;
    Apartados apartados;
    bool columnaCobrado = false;
    cBono bonosIniciales, bonosFinales;           // the registry read, and as the run leaves it
    std::vector<std::pair<int, unsigned>> meses;  // the months the calls touch, in order

    const FilaLlamada& Fila(std::size_t i) const { return todas[filas[i]]; }
    const std::string& Texto(std::uint32_t i) const { return textos[i]; }
};

inline bool TieneCobrado(const FilaLlamada& f) {
    return f.cobrado == f.cobrado;
}

// The summary of the calls looked at, added in line order as costear adds them.
struct Resumen {
    std::size_t llamadas = 0;
    double importe = 0.0;
    std::int64_t segundos = 0;
    std::int64_t bonoGastadoDia = 0, bonoGastadoNoche = 0;
    std::int32_t bonoQuedaDia = 0, bonoQuedaNoche = 0;
    std::size_t cobradasDeMas = 0;  // charged more than costed
    double deMas = 0.0;
};
Resumen Resumir(const Resultado& r);

// The calls looked at added up by extension (`porCuenta` false) or account, largest
// amount first, equal amounts by key.
std::vector<TotalClave> TotalesPor(const Resultado& r, bool porCuenta);

// Picks the calls of `todas` inside the period (`filas`, `intervalo`).
void Recortar(Resultado& r, const Periodo& p);

// Charged minus costed to the cent, as costear's `diferencia` column gives it.
double Diferencia(const FilaLlamada& f);

}  // namespace quelmar::costes
