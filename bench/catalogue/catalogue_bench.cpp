// Load and Save of a full catalogue (32766 tariffs), each next to its floor on the same
// bytes: a plain read of the whole file; a plain write + flush + rename.
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "catalogue/cCatalogo.h"

namespace {

using quelmar::cCatalogo;

const std::filesystem::path& Carpeta() {
    static const std::filesystem::path dir = [] {
        std::string plantilla =
            (std::filesystem::temp_directory_path() / "quelmar-bench-XXXXXX").string();
        if (!::mkdtemp(plantilla.data())) std::abort();
        cCatalogo c(plantilla);
        for (int i = 0; i < cCatalogo::kMaxTarifasFichero; ++i) {
            c.Add();
            c.Valor(static_cast<std::int16_t>(i), "Nombre", "Tarifa " + std::to_string(i));
            c.Valor(static_cast<std::int16_t>(i), "Semana.Normal.Importe", "12");
        }
        c.Save();
        return std::filesystem::path(plantilla);
    }();
    return dir;
}

void BM_Load(benchmark::State& st) {
    cCatalogo c(Carpeta());
    for (auto _ : st) {
        c.Load();
        benchmark::DoNotOptimize(c.Count());
    }
    st.SetBytesProcessed(st.iterations() * 32766 * 168);
}

void BM_LoadFloor_PlainRead(benchmark::State& st) {
    const auto ruta = Carpeta() / "Tarifas.Dat";
    std::vector<char> buf(32766 * 168);
    for (auto _ : st) {
        const int fd = ::open(ruta.c_str(), O_RDONLY);
        std::size_t n = 0;
        while (n < buf.size()) {
            const ssize_t r = ::read(fd, buf.data() + n, buf.size() - n);
            if (r <= 0) break;
            n += static_cast<std::size_t>(r);
        }
        ::close(fd);
        benchmark::DoNotOptimize(buf.data());
    }
    st.SetBytesProcessed(st.iterations() * 32766 * 168);
}

void BM_Save(benchmark::State& st) {
    cCatalogo c(Carpeta());
    c.Load();
    for (auto _ : st) c.Save();
    st.SetBytesProcessed(st.iterations() * 32766 * 168);
}

void BM_SaveFloor_WriteFlushRename(benchmark::State& st) {
    cCatalogo c(Carpeta());
    c.Load();
    std::vector<char> buf(32766 * 168, 'x');
    const auto tmp = Carpeta() / "suelo.tmp";
    const auto dst = Carpeta() / "suelo.dat";
    for (auto _ : st) {
        const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::size_t n = 0;
        while (n < buf.size()) {
            const ssize_t r = ::write(fd, buf.data() + n, buf.size() - n);
            if (r <= 0) break;
            n += static_cast<std::size_t>(r);
        }
        ::fsync(fd);
        ::close(fd);
        ::rename(tmp.c_str(), dst.c_str());
    }
    st.SetBytesProcessed(st.iterations() * 32766 * 168);
}

}  // namespace

BENCHMARK(BM_Load)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadFloor_PlainRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveFloor_WriteFlushRename)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
