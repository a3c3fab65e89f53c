// Sequences of cBono operations on a pinned clock: an operation that raises an error
// changes nothing; Copiar gives a registry that reads the same bono by bono; the reading
// operations answer or raise error 9, 6 or 13.
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <vector>

#include "Comprobar.h"
#include "bono/cBono.h"
#include "runtime/Locale.h"
#include "runtime/OleDate.h"

using namespace quelmar;

namespace {

// Everything the registry shows through its public reading operations.
std::vector<Variant> Estado(const cBono& b, bool conReserva, bool conNombres) {
    std::vector<Variant> s{Variant(std::int32_t{b.Count()}), Variant(std::int32_t{b.DiaFactura()}),
                           Variant(std::int32_t{b.perFactura()})};
    const std::int16_t hasta = conReserva ? b.Count() : static_cast<std::int16_t>(b.Count() - 1);
    for (std::int16_t i = 0; i <= hasta; ++i) {
        if (conNombres) s.push_back(Variant(b.Nombre(i)));
        s.push_back(Variant(std::int32_t{b.Tipo(i)}));
        s.push_back(Variant(b.tiempo(i)));
        s.push_back(Variant::DeFecha(b.Alta(i)));
        s.push_back(b.Baja(i));
        s.push_back(b.BajaPer(i));
    }
    return s;
}

Variant Valor(FuzzedDataProvider& e) {
    switch (e.ConsumeIntegralInRange(0, 4)) {
        case 0:
            return Variant::DeFecha(e.ConsumeFloatingPoint<double>());
        case 1:
            return Variant::DeFecha(static_cast<double>(e.ConsumeIntegralInRange(30000, 50000)) +
                                    e.ConsumeProbability<double>());
        case 2:
            return Variant(e.ConsumeRandomLengthString(24));
        case 3:
            return Variant(e.ConsumeIntegral<std::int16_t>());
        default:
            return Variant();
    }
}

std::optional<Variant> Opcional(FuzzedDataProvider& e) {
    if (e.ConsumeBool()) return std::nullopt;
    return Valor(e);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    FuzzedDataProvider e(datos, n);
    LocaleScope ambito(Locale::PorDefecto());
    double ahora = fecha::DesdeCalendario(2000, 5, 10);
    cBono b([&] { return ahora; });
    for (int paso = 0; paso < 64 && e.remaining_bytes() > 0; ++paso) {
        const auto i = static_cast<std::int16_t>(e.ConsumeIntegralInRange(-1, b.Count() + 1));
        const auto g = e.ConsumeIntegralInRange<std::int16_t>(-1, 4);
        const std::vector<Variant> antes = Estado(b, true, true);
        int err = 0;
        const int op = e.ConsumeIntegralInRange(0, 13);
        switch (op) {
            case 0:
                err = fuzz::Error([&] { b.DarAlta(g, Opcional(e)); });
                break;
            case 1:
                err = fuzz::Error([&] { b.Limpiar(Opcional(e)); });
                break;
            case 2:
                err = fuzz::Error([&] { b.Alta(i, e.ConsumeFloatingPoint<double>()); });
                break;
            case 3:
                err = fuzz::Error([&] { b.Baja(i, Valor(e)); });
                break;
            case 4:
                b.DiaFactura(e.ConsumeIntegral<std::uint8_t>());
                break;
            case 5:
                b.perFactura(e.ConsumeIntegral<std::uint8_t>());
                break;
            case 6:
                err = fuzz::Error([&] { b.Nombre(i, e.ConsumeRandomLengthString(12)); });
                break;
            case 7:
                err = fuzz::Error([&] { b.tiempo(i, e.ConsumeRandomLengthString(16)); });
                break;
            case 8:
                b.Reset();
                break;
            case 9: {
                const std::string t = e.ConsumeRandomLengthString(16);
                err = fuzz::Error([&] { (void)b.Restar(g, t, Opcional(e)); });
                break;
            }
            case 10: {
                cBono copia([&] { return ahora; });
                copia.DarAlta(1);  // replaced whole by the copy
                fuzz::Exigir(fuzz::Error([&] { copia.Copiar(b); }) == 0, "Copiar falló");
                fuzz::Exigir(Estado(copia, false, false) == Estado(b, false, false),
                             "la copia no es igual");
                b.Copiar(b);
                fuzz::Exigir(Estado(b, true, true) == antes, "copiarse cambió el registro");
                break;
            }
            case 11:
                ahora = fecha::DesdeCalendario(1990 + e.ConsumeIntegralInRange(0, 30), 1,
                                               e.ConsumeIntegralInRange(1, 366));
                break;
            case 12: {
                for (int r : {fuzz::Error([&] { (void)b.TotalTiempoTipo(g); }),
                              fuzz::Error([&] { (void)b.TotalTiempoGrupo(g); }),
                              fuzz::Error([&] { (void)b.TiempoGastadoGrupo(g); }),
                              fuzz::Error([&] { (void)b.EstaVacioGrupo(g); }),
                              fuzz::Error([&] { (void)b.Cual(g); }),
                              fuzz::Error([&] { (void)b.CountTipo(g); })})
                    fuzz::Exigir(r == 0 || r == kDesbordamiento,
                                 [&] { return std::string("lectura: " + std::to_string(r)); });
                break;
            }
            default:
                err = fuzz::Error([&] { b.Alta(i, 36000.5 + e.ConsumeIntegralInRange(0, 20000)); });
                break;
        }
        if (err != 0) {
            fuzz::Exigir(err == kFueraDeRango || err == kDesbordamiento || err == kTiposNoCoinciden,
                         [&] { return std::string("error " + std::to_string(err)); });
            fuzz::Exigir(Estado(b, true, true) == antes, [&] {
                return std::string("la operación " + std::to_string(paso) + " (clase " +
                                   std::to_string(op) + ", error " + std::to_string(err) + ")" +
                                   " falló y cambió el registro");
            });
        }
    }
    return 0;
}
