// Costs one call with the engine, from the catalogue folder given as argument. Written the
// way much code is written: the conversions below are what Quelmar's own warnings reject
// (-Wconversion -Werror), and this project must still build.
#include <cstdio>

#include "costing/cLlamada.h"
#include "runtime/OleDate.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    quelmar::cLlamada llamada(argv[1]);
    const double dia = quelmar::fecha::DesdeCalendario(2000, 1, 17);
    llamada.Datos(dia + quelmar::fecha::DesdeHora(9, 0, 0),
                  dia + quelmar::fecha::DesdeHora(9, 20, 0), nullptr, "Metropolitana");
    int entero = llamada.importe();  // float to int
    short corto = entero;            // int to short
    std::printf("%g %s %d\n", static_cast<double>(llamada.importe()), llamada.Duracion().c_str(),
                corto);
    return 0;
}
