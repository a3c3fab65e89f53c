// Restaurar through the Qt window: the model's work plus refilling the 32766-entry name list
// and repainting, as the user waits for it.
#include <QApplication>
#include <QPushButton>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <string>

#include "Catalogo.h"
#include "editor/qt/Form1Qt.h"

namespace {

using namespace quelmar;

std::filesystem::path Carpeta(long n) {
    const auto c = std::filesystem::temp_directory_path() / ("quelmar_bench_" + std::to_string(n));
    if (!std::filesystem::exists(c / "Tarifas.Dat")) {
        std::filesystem::create_directories(c);
        bench::CatalogoDe(c, n);
    }
    return c;
}

void BM_RestaurarVentana(benchmark::State& estado) {
    editor::Form1Qt w(Carpeta(estado.range(0)));
    if (!w.Abrir()) estado.SkipWithError("the catalogue did not load");
    w.show();
    QApplication::processEvents();
    auto* restaurar = static_cast<QPushButton*>(w.Widget("cmdRestaurar"));
    for (auto _ : estado) {
        restaurar->click();
        w.repaint();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_RestaurarVentana)->Arg(12)->Arg(32766)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
