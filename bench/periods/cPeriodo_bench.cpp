#include <benchmark/benchmark.h>
#include <cstdint>
#include <string>

#include "periods/cPeriodo.h"
#include "runtime/OleDate.h"

namespace quelmar {
namespace {

// A full enumeration of ten years, as the costing engine runs it: Reset, then Periodo
// until the empty text, reading both instants back. Argument: period kind (0 monthly,
// 2 two-monthly). One iteration is one whole enumeration.
void BM_EnumeracionDiezAnios(benchmark::State& state) {
    const auto per = static_cast<std::uint8_t>(state.range(0));
    const double ini = fecha::DesdeCalendario(2000, 1, 10) + fecha::DesdeHora(10, 0, 0);
    const double fin = fecha::DesdeCalendario(2010, 1, 9) + fecha::DesdeHora(18, 0, 0);
    cPeriodo p;
    p.Datos(15, per);
    p.Periodos(ini, fin);
    std::int64_t periodos = 0;
    for (auto _ : state) {
        p.Reset();
        for (std::string s = p.Periodo(); !s.empty(); s = p.Periodo()) {
            benchmark::DoNotOptimize(cPeriodo::FechaIni(s));
            benchmark::DoNotOptimize(cPeriodo::FechaFin(s));
            ++periodos;
        }
    }
    state.counters["periodos"] =
        benchmark::Counter(static_cast<double>(periodos) / static_cast<double>(state.iterations()));
    state.SetItemsProcessed(periodos);
}
BENCHMARK(BM_EnumeracionDiezAnios)->Arg(0)->Arg(2);

// The enumeration alone, without reading the instants back.
void BM_EnumeracionSoloTextos(benchmark::State& state) {
    const double ini = fecha::DesdeCalendario(2000, 1, 10);
    const double fin = fecha::DesdeCalendario(2010, 1, 9);
    cPeriodo p;
    p.Datos(15, 0);
    p.Periodos(ini, fin);
    std::int64_t periodos = 0;
    for (auto _ : state) {
        p.Reset();
        for (std::string s = p.Periodo(); !s.empty(); s = p.Periodo()) ++periodos;
    }
    state.SetItemsProcessed(periodos);
}
BENCHMARK(BM_EnumeracionSoloTextos);

}  // namespace
}  // namespace quelmar
