// The editor model alone: startup and Restaurar on large catalogues.
#include <benchmark/benchmark.h>
#include <filesystem>
#include <string>

#include "Catalogo.h"
#include "editor/Form1.h"

namespace {

using namespace quelmar;

class VentanaNula : public editor::IVentana {
  public:
    void MsgBox(const std::string&, int, const std::string&) override {}
    bool Preguntar(const std::string&, const std::string&) override { return false; }
    int PreguntarConCancelar(const std::string&, const std::string&) override { return vbCancel; }
    void Cerrar() override {}
    void FocoEn(const editor::Control&) override {}
};

std::filesystem::path Carpeta(long n) {
    const auto c = std::filesystem::temp_directory_path() / ("quelmar_bench_" + std::to_string(n));
    if (!std::filesystem::exists(c / "Tarifas.Dat")) {
        std::filesystem::create_directories(c);
        bench::CatalogoDe(c, n);
    }
    return c;
}

void BM_Restaurar(benchmark::State& estado) {
    VentanaNula v;
    editor::Form1 f(v, Carpeta(estado.range(0)));
    if (!f.Abrir()) estado.SkipWithError("the catalogue did not load");
    f.hs.Mover(static_cast<std::int16_t>(f.hs.Max() / 2));
    for (auto _ : estado) {
        f.cmdRestaurar.Pulsar();
        benchmark::DoNotOptimize(f.txtNombre.ListCount());
    }
}
BENCHMARK(BM_Restaurar)->Arg(12)->Arg(32766)->Unit(benchmark::kMillisecond);

// Walking one tariff on: stores the shown fields, the name, and draws the next tariff.
void BM_SiguienteTarifa(benchmark::State& estado) {
    VentanaNula v;
    editor::Form1 f(v, Carpeta(estado.range(0)));
    if (!f.Abrir()) estado.SkipWithError("the catalogue did not load");
    std::int16_t pos = 1;
    for (auto _ : estado) {
        pos = static_cast<std::int16_t>(pos % f.hs.Max() + 1);
        f.hs.Mover(pos);
    }
}
BENCHMARK(BM_SiguienteTarifa)->Arg(32766)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
