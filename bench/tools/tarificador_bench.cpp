// costear on 100 000 calls of one to six minutes over the sample catalogue and bonos, run
// as a user runs it, next to a bare loop of the engine's Datos on the same calls with the
// registry passed back. Both report calls per second (items_per_second). informe runs
// against costear on the same log.
// BM_CostearFrenteAlMotor runs the two in turn in each iteration and counts the processor
// time each takes (the child's user + system time for costear), so that a busy machine
// slows both alike: costear_frente_al_motor is costear's rate over the engine's.
#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "bono/cBono.h"
#include "costing/cCosteo.h"
#include "costing/cLlamada.h"
#include "runtime/CodePage.h"
#include "runtime/OleDate.h"
#include "tools/Bonos.h"
#include "tools/Comun.h"
#include "tools/Instantes.h"

extern char** environ;

namespace {

using namespace quelmar;

constexpr std::size_t kLlamadas = 100000;

struct Llamada {
    double ini, fin;
    std::string tarifa;  // the catalogue's bytes; empty: the main tariff
};

struct Datos {
    std::filesystem::path carpeta, fichero;
    std::vector<Llamada> llamadas;
};

// Runs the program; `cpu` gets its user + system time in seconds.
int Lanzar(std::vector<std::string> args, const char* salida, double* cpu = nullptr) {
    posix_spawn_file_actions_t acc;
    posix_spawn_file_actions_init(&acc);
    posix_spawn_file_actions_addopen(&acc, 1, salida, O_WRONLY | O_TRUNC, 0);
    posix_spawn_file_actions_addopen(&acc, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawn(&pid, TARIFICADOR, &acc, nullptr, argv.data(), environ) != 0) std::abort();
    posix_spawn_file_actions_destroy(&acc);
    int st = 0;
    struct rusage uso {};
    ::wait4(pid, &st, 0, &uso);
    auto segundos = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    if (cpu) *cpu = segundos(uso.ru_utime) + segundos(uso.ru_stime);
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

// The sample catalogue imported into a temporary folder and the log written there:
// calls every 0 to 90 minutes from 2000-01-03, of 1 to 6 minutes, on a few tariffs, so
// that they cross band ends, days and billing periods.
const Datos& Preparar() {
    static const Datos d = [] {
        Datos r;
        std::string plantilla =
            (std::filesystem::temp_directory_path() / "tarificador-bench-XXXXXX").string();
        if (!::mkdtemp(plantilla.data())) std::abort();
        r.carpeta = plantilla;
        // The folder goes when the program ends.
        static const struct Borrar {
            std::filesystem::path p;
            ~Borrar() {
                std::error_code ec;
                std::filesystem::remove_all(p, ec);
            }
        } borrar{r.carpeta};
        if (Lanzar({TARIFICADOR, "importar", "--catalogo", r.carpeta.string(),
                    CARPETA_DATOS "/tarifas.csv"},
                   "/dev/null") != 0)
            std::abort();
        const std::array<std::string, 5> tarifas = {"", "Provincial", "Nacional", "Movil",
                                                    "Infovía"};
        std::uint64_t x = 88172645463325252ULL;  // xorshift: the same log every run
        auto azar = [&x](std::uint64_t n) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            return x % n;
        };
        std::int64_t s = fecha::ASegundos(fecha::DesdeCalendario(2000, 1, 3)) + 8 * 3600;
        r.fichero = r.carpeta / "llamadas.csv";
        std::ofstream f(r.fichero);
        f << "inicio,fin,tarifa\n";
        for (std::size_t i = 0; i < kLlamadas; ++i) {
            s += static_cast<std::int64_t>(azar(90 * 60));
            const std::int64_t e = s + 60 + static_cast<std::int64_t>(azar(5 * 60 + 1));
            const std::string& tarifa = tarifas[azar(5)];
            // The log is UTF-8; the engine takes the catalogue's bytes, as costear gives them.
            Llamada l{fecha::DesdeSegundos(s), fecha::DesdeSegundos(e), *Utf8ACp1252Exacto(tarifa)};
            f << herramientas::TextoInstante(l.ini) << ',' << herramientas::TextoInstante(l.fin)
              << ',' << tarifa << '\n';
            r.llamadas.push_back(std::move(l));
            s = e;
        }
        return r;
    }();
    return d;
}

void BM_Costear(benchmark::State& st) {
    const Datos& d = Preparar();
    for (auto _ : st) {
        const auto t0 = std::chrono::steady_clock::now();
        const int r = Lanzar({TARIFICADOR, "costear", "--catalogo", d.carpeta.string(), "--bonos",
                              CARPETA_DATOS "/bonos.json", d.fichero.string()},
                             "/dev/null");
        const auto t1 = std::chrono::steady_clock::now();
        if (r != 0) st.SkipWithError("costear failed");
        st.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
    st.SetItemsProcessed(static_cast<std::int64_t>(st.iterations() * kLlamadas));
}

// The engine's own loop over the log, as costear runs it: one registry carried from call to
// call, full again when a billing period began between two calls (without that step the
// loop costs something else: costear's amounts).
void CostearConElMotor(const Datos& d, const std::string& json) {
    cLlamada m(d.carpeta);
    m.NombreTarifa("Metropolitana");
    m.Bono() = herramientas::LeerBonos(json, "bonos.json");
    const Llamada* anterior = nullptr;
    for (const Llamada& l : d.llamadas) {
        if (anterior && l.ini > anterior->fin &&
            cCosteo::SeRellenaEntre(m.Bono().DiaFactura(), anterior->fin, l.ini))
            m.Bono().Reset();
        m.Datos(l.ini, l.fin, &m.Bono(), l.tarifa);
        benchmark::DoNotOptimize(m.importe());
        anterior = &l;
    }
}

void BM_DatosDelMotor(benchmark::State& st) {
    const Datos& d = Preparar();
    std::ifstream f(CARPETA_DATOS "/bonos.json");
    const std::string json{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    for (auto _ : st) {
        CostearConElMotor(d, json);
    }
    st.SetItemsProcessed(static_cast<std::int64_t>(st.iterations() * kLlamadas));
}

double CpuDelHilo() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void BM_CostearFrenteAlMotor(benchmark::State& st) {
    const Datos& d = Preparar();
    std::ifstream f(CARPETA_DATOS "/bonos.json");
    const std::string json{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    double motor = 0.0, costear = 0.0;
    // The fastest run of each too: on a machine whose speed wanders (a virtual machine
    // reclaiming memory), the best of several runs is what the code costs.
    double motorMin = 1e300, costearMin = 1e300;
    for (auto _ : st) {
        const double t0 = CpuDelHilo();
        CostearConElMotor(d, json);
        const double m = CpuDelHilo() - t0;
        double cpu = 0.0;
        if (Lanzar({TARIFICADOR, "costear", "--catalogo", d.carpeta.string(), "--bonos",
                    CARPETA_DATOS "/bonos.json", d.fichero.string()},
                   "/dev/null", &cpu) != 0)
            st.SkipWithError("costear failed");
        motor += m;
        costear += cpu;
        motorMin = std::min(motorMin, m);
        costearMin = std::min(costearMin, cpu);
    }
    const double llamadas = static_cast<double>(st.iterations() * kLlamadas);
    st.counters["motor_llamadas_s"] = llamadas / motor;
    st.counters["costear_llamadas_s"] = llamadas / costear;
    st.counters["costear_frente_al_motor"] = motor / costear;
    st.counters["mejor_costear_frente_al_mejor_motor"] = motorMin / costearMin;
}

// informe against costear on the same log, processor time of each run side by side, and
// the size of the page written.
void BM_InformeFrenteACostear(benchmark::State& st) {
    const Datos& d = Preparar();
    const std::string pagina = (d.carpeta / "informe.html").string();
    double costear = 0.0, informe = 0.0;
    for (auto _ : st) {
        double cpu = 0.0;
        if (Lanzar({TARIFICADOR, "costear", "--catalogo", d.carpeta.string(), "--bonos",
                    CARPETA_DATOS "/bonos.json", d.fichero.string()},
                   "/dev/null", &cpu) != 0)
            st.SkipWithError("costear failed");
        costear += cpu;
        if (Lanzar({TARIFICADOR, "informe", "--catalogo", d.carpeta.string(), "--bonos",
                    CARPETA_DATOS "/bonos.json", "--salida", pagina, d.fichero.string()},
                   "/dev/null", &cpu) != 0)
            st.SkipWithError("informe failed");
        informe += cpu;
    }
    st.counters["informe_frente_a_costear"] = informe / costear;
    st.counters["informe_s"] = informe / static_cast<double>(st.iterations());
    st.counters["costear_s"] = costear / static_cast<double>(st.iterations());
    st.counters["html_bytes"] = static_cast<double>(std::filesystem::file_size(pagina));
}

}  // namespace

BENCHMARK(BM_InformeFrenteACostear)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CostearFrenteAlMotor)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_Costear)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DatosDelMotor)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
