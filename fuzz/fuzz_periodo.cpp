// cPeriodo with any billing day, kind, range and year filter: the enumeration always ends,
// within as many periods as the range has billing months plus a few; later periods follow
// each other second by second and end at the range end; the texts are the instants.
#include <algorithm>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>

#include "Comprobar.h"
#include "periods/cPeriodo.h"
#include "runtime/Locale.h"
#include "runtime/OleDate.h"

using namespace quelmar;

namespace {

// Any double now and then; mostly a valid instant, so that the enumeration is reached.
double Instante(FuzzedDataProvider& e) {
    if (e.ConsumeIntegralInRange(0, 7) == 0) return e.ConsumeFloatingPoint<double>();
    const auto dia = e.ConsumeIntegralInRange<std::int64_t>(-657434, 2958465);
    const auto seg = e.ConsumeIntegralInRange<std::int64_t>(0, 86399);
    return fecha::DesdeSegundos(dia * fecha::kSegundosDia + seg);
}

// The range end: another instant now and then; else some days after (or a few before)
// the start, the number of days drawn on a log scale up to the whole range of dates, so
// that ranges of days and of millennia are both tried while most inputs stay short (the
// time an input takes grows with the periods in its range).
double Final(FuzzedDataProvider& e, double ini) {
    if (e.ConsumeIntegralInRange(0, 7) == 0 || !fecha::EsValida(ini)) return Instante(e);
    const int bits = e.ConsumeIntegralInRange(0, 22);
    const auto dias = e.ConsumeIntegralInRange<std::int64_t>(-3, std::int64_t{1} << bits);
    const auto seg = e.ConsumeIntegralInRange<std::int64_t>(0, 86399);
    // Kept within the range of dates.
    const std::int64_t s = std::clamp<std::int64_t>(
        fecha::DiaDeSegundos(fecha::ASegundos(ini)) + dias, -657434, 2958465);
    return fecha::DesdeSegundos(s * fecha::kSegundosDia + seg);
}

long long Meses(double d) {
    const fecha::Partes p = fecha::Descomponer(d);
    return p.anio * 12LL + p.mes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    FuzzedDataProvider e(datos, n);
    LocaleScope ambito(Locale::PorDefecto());
    const auto dia = e.ConsumeIntegral<std::uint8_t>();
    const auto per = e.ConsumeIntegral<std::uint8_t>();
    const auto filtro = e.ConsumeBool() ? std::int16_t{9999} : e.ConsumeIntegral<std::int16_t>();
    const double ini = Instante(e);
    const double fin = Final(e, ini);
    cPeriodo p;
    p.Datos(dia, per);
    p.Filtro(filtro);
    if (fuzz::Error([&] { p.Periodos(ini, fin); }) != 0) {
        fuzz::Exigir(!fecha::EsValida(ini) || !fecha::EsValida(fin), "rango válido rechazado");
        return 0;
    }
    const long long paso = per == 0 ? 1 : 2;
    const long long cota = std::max(0LL, Meses(fin) - Meses(ini)) / paso + 3;
    long long cuantos = 0;
    std::optional<cPeriodo::Intervalo> previo;
    // Whole seconds, converted once a period.
    const std::int64_t sFin = fecha::ASegundos(fin);
    std::int64_t sFinPrevio = 0;
    while (true) {
        std::optional<cPeriodo::Intervalo> actual;
        const int err = fuzz::Error([&] { actual = p.PeriodoFechas(); });
        if (err != 0) {
            fuzz::Exigir(err == kDesbordamiento,
                         [&] { return std::string("error " + std::to_string(err)); });
            break;
        }
        if (!actual) break;
        ++cuantos;
        fuzz::Exigir(cuantos <= cota, [&] {
            return std::string("más periodos que meses: " + std::to_string(cuantos));
        });
        if (!actual->otro) {
            fuzz::Exigir(fecha::EsValida(actual->ini) && fecha::EsValida(actual->fin), "rango");
            const std::int64_t sIni = fecha::ASegundos(actual->ini);
            const std::int64_t sFinActual = fecha::ASegundos(actual->fin);
            if (previo && !previo->otro) {
                fuzz::Exigir(sIni - sFinPrevio == 1, "periodos no seguidos");
                fuzz::Exigir(sFinActual >= sIni, "periodo al revés");
                fuzz::Exigir(sFinActual <= sFin, "pasa del final");
            }
            sFinPrevio = sFinActual;
        }
        previo = actual;
    }
    // The same enumeration as texts, for its first periods.
    p.Reset();
    cPeriodo q;
    q.Datos(dia, per);
    q.Filtro(filtro);
    q.Periodos(ini, fin);
    for (int i = 0; i < 3; ++i) {
        std::optional<cPeriodo::Intervalo> a;
        std::string texto;
        if (fuzz::Error([&] { a = p.PeriodoFechas(); }) != 0) break;
        fuzz::Exigir(fuzz::Error([&] { texto = q.Periodo(); }) == 0, "texto con error");
        if (!a) {
            fuzz::Exigir(texto.empty(), "texto tras el final");
            break;
        }
        if (a->otro) {
            fuzz::Exigir(texto == "Otro", "«Otro» esperado");
            continue;
        }
        fuzz::Exigir(cPeriodo::FechaIni(texto) == a->ini && cPeriodo::FechaFin(texto) == a->fin,
                     [&] { return std::string("el texto no da los instantes: " + texto); });
    }
    return 0;
}
