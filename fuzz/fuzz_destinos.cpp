// The prefix table: any text reads as a table or raises the library's error; in a table
// read, every prefix is digits and finds its own row, and a number finds the longest
// prefix it starts with.
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>

#include "Comprobar.h"
#include "llamadas/Destinos.h"
#include "llamadas/Error.h"

using namespace quelmar;
using namespace quelmar::llamadas;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    FuzzedDataProvider e(datos, n);
    const std::string numero = e.ConsumeRandomLengthString(24);
    const std::string texto = e.ConsumeRemainingBytesAsString();
    try {
        const Destinos d = Destinos::Leer(texto, "destinos.csv");
        fuzz::Exigir(!d.Filas().empty(), "una tabla sin filas");
        for (const auto& f : d.Filas()) {
            const std::string_view p = d.Prefijo(f);
            fuzz::Exigir(!p.empty() && p.find_first_not_of("0123456789") == std::string::npos,
                         "un prefijo que no son cifras");
            const auto* b = d.Buscar(p);
            fuzz::Exigir(b && d.Prefijo(*b) == p, "un prefijo que no se encuentra");
        }
        std::string digitos;
        if (NormalizarNumero(numero, digitos))
            if (const auto* b = d.Buscar(digitos)) {
                fuzz::Exigir(digitos.starts_with(d.Prefijo(*b)),
                             "un prefijo que no empieza el número");
                for (const auto& f : d.Filas())
                    fuzz::Exigir(!digitos.starts_with(d.Prefijo(f)) || f.largo <= b->largo,
                                 "no gana el prefijo más largo");
            }
    } catch (const llamadas::Error&) {
    }
    return 0;
}
