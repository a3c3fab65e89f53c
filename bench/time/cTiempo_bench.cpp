#include <benchmark/benchmark.h>

#include "time/cTiempo.h"

namespace quelmar {
namespace {

// Text in, arithmetic, text out: what the bono accounting does for every bono it visits.
void BM_SumarTextoYValor(benchmark::State& state) {
    cTiempo t;
    for (auto _ : state) {
        t.Valor("10:00:00");
        t.Sumar("0:45:30");
        benchmark::DoNotOptimize(t.Valor());
    }
}
BENCHMARK(BM_SumarTextoYValor);

void BM_SumarTiempo(benchmark::State& state) {
    cTiempo t;
    cTiempo uno;
    uno.Valor("0:0:1");
    for (auto _ : state) {
        t.Sumar(uno);
        if (t.ConvSegundos() > 3600) t.Iniciar();
        benchmark::DoNotOptimize(t);
    }
}
BENCHMARK(BM_SumarTiempo);

}  // namespace
}  // namespace quelmar
