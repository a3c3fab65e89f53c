// Datos on a 12-tariff catalogue next to the floor its reload imposes (opening, reading
// and closing the same Tarifas.Dat), and a 30-day call with bonos per segment.
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "bono/cBono.h"
#include "costing/cCosteo.h"
#include "costing/cLlamada.h"
#include "runtime/OleDate.h"
#include "support/Tarifas.h"

namespace {

using namespace quelmar;

using prueba::Hora;

const std::filesystem::path& Carpeta() {
    static const std::filesystem::path dir = [] {
        std::string plantilla =
            (std::filesystem::temp_directory_path() / "quelmar-costeo-XXXXXX").string();
        if (!::mkdtemp(plantilla.data())) std::abort();
        cLlamada c(plantilla);
        const char* nombres[] = {"Normal", "10DIA",    "50DIA",  "10NOCHE", "50NOCHE", "Nacional",
                                 "Movil",  "Internet", "Provin", "Metro",   "Noche+",  "Empresa"};
        const prueba::Dia dia{{"12", Hora(8, 0), Hora(17, 59, 59)},
                              {"6", Hora(18, 0), Hora(7, 59, 59)}};
        for (const char* nombre : nombres) prueba::AnadirTarifa(c, nombre, "10", Hora(0, 30), dia);
        c.Save();
        return std::filesystem::path(plantilla);
    }();
    return dir;
}

const double kIni = fecha::DesdeCalendario(1999, 12, 27) + fecha::DesdeHora(17, 57, 0);

void BM_Datos5Minutos(benchmark::State& st) {
    cLlamada m(Carpeta());
    m.NombreTarifa("Normal");
    for (auto _ : st) {
        m.Datos(kIni, kIni + 5.0 / 1440.0);
        benchmark::DoNotOptimize(m.importe());
    }
}

void BM_SoloLoad(benchmark::State& st) {
    cLlamada m(Carpeta());
    for (auto _ : st) {
        m.Load();
        benchmark::DoNotOptimize(m.Count());
    }
}

void BM_SueloRecarga_AbrirLeerCerrar(benchmark::State& st) {
    const auto ruta = Carpeta() / "Tarifas.Dat";
    char buf[12 * 168 + 1];
    for (auto _ : st) {
        const int fd = ::open(ruta.c_str(), O_RDONLY);
        benchmark::DoNotOptimize(::read(fd, buf, sizeof buf));
        ::close(fd);
    }
}

// 30 days with day and night bonos of 50 hours each: segments end at band ends, where
// bono time runs out and at the billing period's end.
void BM_Datos30DiasConBonos(benchmark::State& st) {
    cLlamada m(Carpeta());
    m.NombreTarifa("Normal");
    cBono r;
    r.DiaFactura(15);
    for (std::int16_t k = 0; k < 4; ++k) r.DarAlta(k, Variant::DeFecha(kIni - 30));
    const double ini = fecha::DesdeCalendario(2000, 1, 1);
    for (auto _ : st) {
        m.Datos(ini, ini + 30.0, &r);
        benchmark::DoNotOptimize(m.importe());
    }
    // Two band ends a day, the period end and the four bonos running out.
    st.counters["segmentos"] = 30 * 2 + 1 + 4;
    st.counters["ns_por_segmento"] =
        benchmark::Counter(static_cast<double>(st.iterations()) * (30 * 2 + 1 + 4),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The same call through the costing half alone, over a store loaded once: what the
// command line pays per call. Bono time travels in whole seconds from the registry to the
// costing (no time text per segment).
void BM_Costeo30DiasConBonos(benchmark::State& st) {
    cLlamada m(Carpeta());
    m.Load();
    const std::int16_t t = m.Find("Normal");
    cBono r;
    r.DiaFactura(15);
    for (std::int16_t k = 0; k < 4; ++k) r.DarAlta(k, Variant::DeFecha(kIni - 30));
    const double ini = fecha::DesdeCalendario(2000, 1, 1);
    cCosteo& costeo = m.Costeo();
    for (auto _ : st) {
        costeo.Datos(m.Catalogo(), t, ini, ini + 30.0, &r);
        benchmark::DoNotOptimize(costeo.importe());
    }
    st.counters["ns_por_segmento"] =
        benchmark::Counter(static_cast<double>(st.iterations()) * (30 * 2 + 1 + 4),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_Datos5Minutos);
BENCHMARK(BM_SoloLoad);
BENCHMARK(BM_SueloRecarga_AbrirLeerCerrar);
BENCHMARK(BM_Datos30DiasConBonos)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Costeo30DiasConBonos)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
