// Costing (Datos) with any catalogue, instants (NaN, infinities, huge), holiday list and
// bono registry: it always ends; it either raises a numbered error or gives a duration
// that is the call's length and a day kind in range.
#include <cmath>
#include <cstdint>
#include <fstream>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <vector>

#include "Comprobar.h"
#include "bono/cBono.h"
#include "costing/cLlamada.h"
#include "runtime/Locale.h"
#include "runtime/OleDate.h"
#include "time/cTiempo.h"

using namespace quelmar;

namespace {

double Instante(FuzzedDataProvider& e, double cerca) {
    switch (e.ConsumeIntegralInRange(0, 5)) {
        case 0:
            return e.ConsumeFloatingPoint<double>();
        case 1:
            return static_cast<double>(e.ConsumeIntegralInRange(-700000, 3000000)) +
                   e.ConsumeProbability<double>();
        default:  // within a few days of the other instant: calls as they come
            return fecha::EsValida(cerca)
                       ? cerca +
                             static_cast<double>(e.ConsumeIntegralInRange(-1000, 400000)) / 86400.0
                       : 36526.0;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    FuzzedDataProvider e(datos, n);
    LocaleScope ambito(Locale::PorDefecto());
    const std::filesystem::path& carpeta = fuzz::CarpetaDelProceso();
    // Up to eight records; each name starts with a letter unless the input says otherwise.
    std::string fichero;
    const int registros = e.ConsumeIntegralInRange(0, 8);
    for (int r = 0; r < registros; ++r) {
        std::string reg = e.ConsumeBytesAsString(168);
        reg.resize(168, '\0');
        if (e.ConsumeBool()) reg[0] = static_cast<char>('A' + r);
        fichero += reg;
    }
    {
        std::ofstream f(carpeta / cLlamada::kNombreFichero, std::ios::binary | std::ios::trunc);
        f.write(fichero.data(), static_cast<std::streamsize>(fichero.size()));
    }
    cLlamada c(carpeta);
    std::vector<Variant> festivos;
    for (int k = e.ConsumeIntegralInRange(0, 4); k >= 0; --k)
        festivos.push_back(e.ConsumeBool() ? Variant::DeFecha(Instante(e, 36526.0))
                                           : Variant(e.ConsumeRandomLengthString(12)));
    if (fuzz::Error([&] { c.Festivos(festivos); }) != 0) return 0;
    cBono bono([] { return 36526.0; });
    bono.DiaFactura(e.ConsumeIntegral<std::uint8_t>());
    bono.perFactura(e.ConsumeIntegral<std::uint8_t>());
    for (int k = e.ConsumeIntegralInRange(0, 4); k > 0; --k) {
        bono.DarAlta(e.ConsumeIntegralInRange<std::int16_t>(0, 3), Variant::DeFecha(36000.0));
        bono.tiempo(static_cast<std::int16_t>(bono.Count() - 1),
                    std::to_string(e.ConsumeIntegralInRange(0, 60)) + ":00:00");
    }
    const double ini = Instante(e, 36526.0);
    const double fin = Instante(e, ini);
    const std::string tarifa =
        e.ConsumeBool() ? std::string(1, 'A') : e.ConsumeRandomLengthString(15);
    const int err =
        fuzz::Error([&] { c.Datos(ini, fin, e.ConsumeBool() ? &bono : nullptr, tarifa); });
    if (err != 0) {
        fuzz::Exigir(err == kDesbordamiento || err == kFueraDeRango || err == kTiposNoCoinciden,
                     [&] { return std::string("error " + std::to_string(err)); });
        return 0;
    }
    if (c.Find(tarifa) == -1) return 0;  // an unknown tariff costs nothing
    cTiempo d;
    d.Valor(c.Duracion());
    fuzz::Exigir(d.ConvSegundos() == fecha::SegundosEntre(ini, fin), [&] {
        return std::string("la duración no es la de la llamada: " + c.Duracion());
    });
    const std::int16_t tipo = c.TipoDia(ini);
    fuzz::Exigir(tipo >= 0 && tipo <= 2,
                 [&] { return std::string("clase de día " + std::to_string(tipo)); });
    return 0;
}
