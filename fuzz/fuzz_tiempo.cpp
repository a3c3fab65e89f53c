// cTiempo texts and arithmetic: a text reads or raises error 6; the text written reads back
// to the same total; Sumar and Restar change the total by exactly the other value or raise
// error 6 and change nothing; exactly one comparison holds.
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>

#include "Comprobar.h"
#include "runtime/OleDate.h"
#include "time/cTiempo.h"

using namespace quelmar;

namespace {

bool Normalizado(const cTiempo& t) {
    // After arithmetic: minutes and seconds within -59..59 with the total's sign.
    const std::string v = t.Valor();
    cTiempo r;
    r.Valor(v);
    return r.ConvSegundos() == t.ConvSegundos();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    FuzzedDataProvider e(datos, n);
    const std::string a = e.ConsumeRandomLengthString(40);
    const std::string b = e.ConsumeRandomLengthString(40);
    const double d = e.ConsumeFloatingPoint<double>();
    cTiempo t;
    if (fuzz::Error([&] { t.Valor(a); }) != 0) {
        // A part out of 16 bits; the parts before it keep their new values, still a value.
        fuzz::Exigir(fuzz::Error([&] { (void)t.Valor(); }) == 0, "Valor() tras un error");
        return 0;
    }
    const std::int32_t total = t.ConvSegundos();
    cTiempo releido;
    fuzz::Exigir(fuzz::Error([&] { releido.Valor(t.Valor()); }) == 0, "su texto no se lee");
    fuzz::Exigir(releido.ConvSegundos() == total,
                 [&] { return std::string("su texto da otro total: " + t.Valor()); });

    cTiempo otro;
    const bool otroBien = fuzz::Error([&] { otro.Valor(b); }) == 0;
    if (otroBien) {
        const int mayor = t.EsMayor(b), menor = t.EsMenor(b), igual = t.EsIgual(b);
        fuzz::Exigir(mayor + menor + igual == 1, "comparaciones incoherentes");
    }
    for (const bool sumar : {true, false}) {
        cTiempo x = t;
        const std::int64_t esperado =
            otroBien ? std::int64_t{total} + (sumar ? 1 : -1) * std::int64_t{otro.ConvSegundos()}
                     : 0;
        const int err = fuzz::Error([&] { sumar ? x.Sumar(b) : x.Restar(b); });
        if (!otroBien) {
            fuzz::Exigir(err == kDesbordamiento, "un texto ilegible sumó");
        } else if (err == 0) {
            fuzz::Exigir(x.ConvSegundos() == esperado, "la suma no suma");
            fuzz::Exigir(Normalizado(x), "resultado no normalizado");
        } else {
            fuzz::Exigir(err == kDesbordamiento,
                         [&] { return std::string("error " + std::to_string(err)); });
            fuzz::Exigir(x.ConvSegundos() == total, "un error cambió el valor");
        }
    }
    // A date/time adds its time of day; no date is error 6 and changes nothing.
    cTiempo x = t;
    const int err = fuzz::Error([&] { x.Sumar(Variant::DeFecha(d)); });
    if (fecha::EsValida(d)) {
        if (err == 0) {
            const fecha::Partes p = fecha::Descomponer(d);
            fuzz::Exigir(x.ConvSegundos() == total + p.hora * 3600 + p.minuto * 60 + p.segundo,
                         "la hora de una fecha no suma");
        }
    } else {
        fuzz::Exigir(err == kDesbordamiento, "una fecha no válida sumó");
    }
    if (err != 0) fuzz::Exigir(x.ConvSegundos() == total, "un error cambió el valor");
    return 0;
}
