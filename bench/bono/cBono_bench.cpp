#include <benchmark/benchmark.h>
#include <cstdint>

#include "bono/cBono.h"
#include "runtime/OleDate.h"
#include "time/cTiempo.h"

namespace quelmar {
namespace {

double Momento() {
    return fecha::DesdeCalendario(2000, 6, 1) + 0.5;
}

// n bonos of the four kinds in turn; every fifth one cancelled with a future expiry, so the
// pool checks dates. Half of them are day bonos: at most 250 x 50 + 250 x 10 hours.
cBono Registro(std::int64_t n) {
    cBono b([] { return Momento(); });
    b.DiaFactura(15);
    for (std::int64_t i = 0; i < n; ++i) {
        b.DarAlta(static_cast<std::int16_t>(i % 4), Variant::DeFecha(Momento() - 30));
        if (i % 5 == 0)
            b.Baja(static_cast<std::int16_t>(i),
                   Variant::DeFecha(fecha::DesdeCalendario(2000, 12, 1)));
    }
    return b;
}

// One charge of one second followed by a refund of one second keeps the registry in the
// same state, so every Restar does its full pass; items are Restar calls.
void BM_Restar(benchmark::State& state) {
    cBono b = Registro(state.range(0));
    const Variant d = Variant::DeFecha(Momento());
    for (auto _ : state) {
        benchmark::DoNotOptimize(b.Restar(0, "00:00:01", d));
        benchmark::DoNotOptimize(b.Restar(0, "00:00:-01", d));
    }
    state.SetItemsProcessed(state.iterations() * 2);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_Restar)->RangeMultiplier(10)->Range(10, 1000)->Complexity(benchmark::oN);

void BM_TotalTiempoGrupo(benchmark::State& state) {
    const cBono b = Registro(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(b.TotalTiempoGrupo(0));
    state.SetItemsProcessed(state.iterations());
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_TotalTiempoGrupo)->RangeMultiplier(10)->Range(10, 1000)->Complexity(benchmark::oN);

// What the costing engine does per priced segment: emptiness, choice of kind, its total.
void BM_ConsultaDeTramo(benchmark::State& state) {
    const cBono b = Registro(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(b.EstaVacioGrupo(0));
        benchmark::DoNotOptimize(b.TotalTiempoTipo(b.Cual(0)));
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ConsultaDeTramo)->RangeMultiplier(10)->Range(10, 1000)->Complexity(benchmark::oN);

// A bono segment as the costing charges it now, in whole seconds: the kind's total, then
// the charge (and its refund, to keep the state). Next to it the same through the time
// texts, the round trip the costing made before (total as text, parsed; charge as text).
void BM_TramoConBonoSegundos(benchmark::State& state) {
    cBono b = Registro(state.range(0));
    const double d = Momento();
    for (auto _ : state) {
        benchmark::DoNotOptimize(b.SegundosTipo(b.Cual(0)));
        benchmark::DoNotOptimize(b.RestarSegundos(0, 1, d));
        benchmark::DoNotOptimize(b.RestarSegundos(0, -1, d));
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_TramoConBonoSegundos)->RangeMultiplier(10)->Range(10, 1000);

void BM_TramoConBonoTexto(benchmark::State& state) {
    cBono b = Registro(state.range(0));
    const Variant d = Variant::DeFecha(Momento());
    for (auto _ : state) {
        cTiempo total;
        total.Valor(b.TotalTiempoTipo(b.Cual(0)));
        benchmark::DoNotOptimize(total.ConvSegundos());
        cTiempo uno;
        uno.ConvTiempo(1);
        benchmark::DoNotOptimize(b.Restar(0, uno.Valor(), d));
        uno.ConvTiempo(-1);
        benchmark::DoNotOptimize(b.Restar(0, uno.Valor(), d));
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_TramoConBonoTexto)->RangeMultiplier(10)->Range(10, 1000);

void BM_Copiar(benchmark::State& state) {
    const cBono fuente = Registro(state.range(0));
    cBono destino;
    for (auto _ : state) {
        destino.Copiar(fuente);
        benchmark::DoNotOptimize(destino.Count());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_Copiar)->RangeMultiplier(10)->Range(10, 1000)->Complexity(benchmark::oN);

}  // namespace
}  // namespace quelmar
