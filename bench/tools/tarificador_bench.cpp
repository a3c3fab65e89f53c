// costear on 200 000 calls of one to six minutes over the sample catalogue, run as a user
// runs it, next to the engine's own loop in memory on the same calls: the catalogue loaded
// once, each tariff found once, cCosteo::Datos with the registry carried. Both report calls
// per second (items_per_second). informe runs against costear on the same log.
// BM_CostearFrenteAlMotor runs the two in turn in each iteration, without bonos, and counts
// the processor time each takes (the child's user + system time for costear), so that a
// busy machine slows both alike: costear_frente_al_motor is costear's rate over the
// engine's.
// The rest: comparar's wall time with 1 and 2 threads; peak memory (the child's maximum
// resident set) of comparar and informe on 10^5 and 10^6 calls; costear with 32 000
// holidays against none; 2 000 lines naming unknown tariffs on a 32 766-tariff catalogue.
// Only the first ones are short; CI builds this file and runs none of it.
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
#include "llamadas/Instantes.h"
#include "runtime/CodePage.h"
#include "runtime/OleDate.h"
#include "tools/Bonos.h"
#include "tools/Comun.h"

extern char** environ;

namespace {

using namespace quelmar;

constexpr std::size_t kLlamadas = 200000;

constexpr std::array<const char*, 5> kTarifas = {"", "Provincial", "Nacional", "Movil", "Infovía"};

struct Llamada {
    double ini, fin;
    std::size_t tarifa;  // in kTarifas
};

struct Datos {
    std::filesystem::path carpeta, fichero;
    std::vector<Llamada> llamadas;
};

// What a run of the program took: processor time (user + system) and wall time in
// seconds.
struct Uso {
    double cpu = 0.0, pared = 0.0;
};

// Runs the program, with `entorno` added to the environment; `uso` gets what it took.
int Lanzar(std::vector<std::string> args, const char* salida, double* cpu = nullptr,
           Uso* uso = nullptr, const std::vector<std::string>& entorno = {},
           const char* programa = TARIFICADOR) {
    posix_spawn_file_actions_t acc;
    posix_spawn_file_actions_init(&acc);
    posix_spawn_file_actions_addopen(&acc, 1, salida, O_WRONLY | O_TRUNC, 0);
    posix_spawn_file_actions_addopen(&acc, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> variables(entorno);
    for (char** e = environ; *e; ++e) variables.emplace_back(*e);
    std::vector<char*> envp;
    for (auto& v : variables) envp.push_back(v.data());
    envp.push_back(nullptr);
    pid_t pid;
    const auto t0 = std::chrono::steady_clock::now();
    if (posix_spawn(&pid, programa, &acc, nullptr, argv.data(), envp.data()) != 0) std::abort();
    posix_spawn_file_actions_destroy(&acc);
    int st = 0;
    struct rusage ru {};
    ::wait4(pid, &st, 0, &ru);
    auto segundos = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    if (cpu) *cpu = segundos(ru.ru_utime) + segundos(ru.ru_stime);
    if (uso) {
        uso->cpu = segundos(ru.ru_utime) + segundos(ru.ru_stime);
        uso->pared = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

// A temporary folder, gone when the program ends.
std::filesystem::path CarpetaTemporal() {
    std::string plantilla =
        (std::filesystem::temp_directory_path() / "tarificador-bench-XXXXXX").string();
    if (!::mkdtemp(plantilla.data())) std::abort();
    struct Borrar {
        std::vector<std::filesystem::path> p;
        ~Borrar() {
            std::error_code ec;
            for (const auto& c : p) std::filesystem::remove_all(c, ec);
        }
    };
    static Borrar borrar;
    borrar.p.emplace_back(plantilla);
    return plantilla;
}

// A log of n calls every 0 to 90 minutes from 2000-01-03, of 1 to 6 minutes, on a few
// tariffs, so that they cross band ends, days and billing periods; the calls are kept in
// `llamadas` when given.
void EscribirLog(const std::filesystem::path& fichero, std::size_t n,
                 std::vector<Llamada>* llamadas = nullptr) {
    std::uint64_t x = 88172645463325252ULL;  // xorshift: the same log every run
    auto azar = [&x](std::uint64_t m) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        return x % m;
    };
    std::int64_t s = fecha::ASegundos(fecha::DesdeCalendario(2000, 1, 3)) + 8 * 3600;
    std::ofstream f(fichero);
    f << "inicio,fin,tarifa\n";
    for (std::size_t i = 0; i < n; ++i) {
        s += static_cast<std::int64_t>(azar(90 * 60));
        const std::int64_t e = s + 60 + static_cast<std::int64_t>(azar(5 * 60 + 1));
        const Llamada l{fecha::DesdeSegundos(s), fecha::DesdeSegundos(e), azar(5)};
        f << llamadas::TextoInstante(l.ini) << ',' << llamadas::TextoInstante(l.fin) << ','
          << kTarifas[l.tarifa] << '\n';
        if (llamadas) llamadas->push_back(l);
        s = e;
    }
}

// The sample catalogue imported into a temporary folder and the log written there.
const Datos& Preparar() {
    static const Datos d = [] {
        Datos r;
        r.carpeta = CarpetaTemporal();
        if (Lanzar({TARIFICADOR, "importar", "--catalogo", r.carpeta.string(),
                    CARPETA_DATOS "/tarifas.csv"},
                   "/dev/null") != 0)
            std::abort();
        r.fichero = r.carpeta / "llamadas.csv";
        EscribirLog(r.fichero, kLlamadas, &r.llamadas);
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

// The engine's own loop over the calls in memory, as costear costs them: the catalogue
// loaded once and each tariff found once, one registry carried from call to call, full
// again when a billing period began between two calls (without that step the loop costs
// something else: costear's amounts). An empty `json`: no bonos.
void CostearConElMotor(const Datos& d, const std::string& json) {
    cLlamada m(d.carpeta);
    m.Load();
    std::array<std::int16_t, kTarifas.size()> posicion{};
    for (std::size_t k = 0; k < kTarifas.size(); ++k)
        posicion[k] = m.Find(k == 0 ? "Metropolitana" : *Utf8ACp1252Exacto(kTarifas[k]));
    cCosteo c;
    if (!json.empty()) c.Bono() = herramientas::LeerBonos(json, "bonos.json");
    const Llamada* anterior = nullptr;
    for (const Llamada& l : d.llamadas) {
        if (anterior && l.ini > anterior->fin &&
            cCosteo::SeRellenaEntre(c.Bono().DiaFactura(), anterior->fin, l.ini))
            c.Bono().Reset();
        c.Datos(m, posicion[l.tarifa], l.ini, l.fin, &c.Bono());
        benchmark::DoNotOptimize(c.importe());
        anterior = &l;
    }
}

std::string Bonos() {
    std::ifstream f(CARPETA_DATOS "/bonos.json");
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void BM_DatosDelMotor(benchmark::State& st) {
    const Datos& d = Preparar();
    const std::string json = Bonos();
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
    const std::string json;  // no bonos
    double motor = 0.0, costear = 0.0;
    // The fastest run of each too: on a machine whose speed wanders (a virtual machine
    // reclaiming memory), the best of several runs is what the code costs.
    double motorMin = 1e300, costearMin = 1e300;
    for (auto _ : st) {
        const double t0 = CpuDelHilo();
        CostearConElMotor(d, json);
        const double m = CpuDelHilo() - t0;
        double cpu = 0.0;
        if (Lanzar({TARIFICADOR, "costear", "--catalogo", d.carpeta.string(), d.fichero.string()},
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

// comparar on the log with TARIFICADOR_HILOS threads: wall time, and processor time.
void BM_CompararHilos(benchmark::State& st) {
    const Datos& d = Preparar();
    const std::string hilos = "TARIFICADOR_HILOS=" + std::to_string(st.range(0));
    double cpu = 0.0;
    for (auto _ : st) {
        Uso uso;
        if (Lanzar({TARIFICADOR, "comparar", "--catalogo", d.carpeta.string(), "--bonos",
                    CARPETA_DATOS "/bonos.json", d.fichero.string()},
                   "/dev/null", nullptr, &uso, {hilos}) != 0)
            st.SkipWithError("comparar failed");
        st.SetIterationTime(uso.pared);
        cpu += uso.cpu;
    }
    st.counters["cpu_s"] = cpu / static_cast<double>(st.iterations());
    st.SetItemsProcessed(static_cast<std::int64_t>(st.iterations() * kLlamadas));
}

// Peak memory of `orden` (comparar or informe) on 10^5 and on 10^6 calls, with bonos: the
// difference is what the log's length costs. Measured by /usr/bin/time (Debian package
// "time"): a child spawned from this process would count this process's memory as its own.
void MemoriaSegunLargo(benchmark::State& st, const char* orden) {
    const Datos& d = Preparar();
    static const std::filesystem::path largo = [&] {
        const auto f = d.carpeta / "llamadas-1e6.csv";
        EscribirLog(f, 1000000);
        return f;
    }();
    static const std::filesystem::path corto = [&] {
        const auto f = d.carpeta / "llamadas-1e5.csv";
        EscribirLog(f, 100000);
        return f;
    }();
    if (::access("/usr/bin/time", X_OK) != 0) {
        st.SkipWithError("/usr/bin/time is missing");
        return;
    }
    const std::string medida = (d.carpeta / "pico.txt").string();
    double pico[2] = {0.0, 0.0};
    for (auto _ : st) {
        for (int k = 0; k < 2; ++k) {
            std::vector<std::string> args = {"/usr/bin/time",
                                             "-f",
                                             "%M",
                                             "-o",
                                             medida,
                                             TARIFICADOR,
                                             orden,
                                             "--catalogo",
                                             d.carpeta.string(),
                                             "--bonos",
                                             CARPETA_DATOS "/bonos.json"};
            if (std::string_view(orden) == "informe")
                args.insert(args.end(), {"--salida", (d.carpeta / "m.html").string()});
            args.push_back((k == 0 ? corto : largo).string());
            if (Lanzar(args, "/dev/null", nullptr, nullptr, {}, "/usr/bin/time") != 0)
                st.SkipWithError("run failed");
            std::ifstream f(medida);
            double kb = 0.0;
            f >> kb;
            pico[k] = std::max(pico[k], kb * 1024.0);
        }
    }
    st.counters["pico_1e5_MB"] = pico[0] / 1e6;
    st.counters["pico_1e6_MB"] = pico[1] / 1e6;
    st.counters["diferencia_MB"] = (pico[1] - pico[0]) / 1e6;
}
void BM_CompararMemoria(benchmark::State& st) {
    MemoriaSegunLargo(st, "comparar");
}
void BM_InformeMemoria(benchmark::State& st) {
    MemoriaSegunLargo(st, "informe");
}

// costear on the first 20 000 calls with 32 000 holidays (every day from 1950, the log's
// days among them) against no holidays: processor time of each, side by side.
void BM_FestivosFrenteANinguno(benchmark::State& st) {
    const Datos& d = Preparar();
    const auto log = d.carpeta / "llamadas-2e4.csv";
    const auto festivos = d.carpeta / "festivos-32000.txt";
    {
        EscribirLog(log, 20000);
        std::ofstream f(festivos);
        const std::int64_t desde = fecha::ASegundos(fecha::DesdeCalendario(1950, 1, 1));
        for (std::int64_t i = 0; i < 32000; ++i)
            f << llamadas::TextoInstante(fecha::DesdeSegundos(desde + i * 86400)).substr(0, 10)
              << '\n';
    }
    double con = 0.0, sin = 0.0;
    for (auto _ : st) {
        double cpu = 0.0;
        if (Lanzar({TARIFICADOR, "costear", "--catalogo", d.carpeta.string(), log.string()},
                   "/dev/null", &cpu) != 0)
            st.SkipWithError("costear failed");
        sin += cpu;
        if (Lanzar({TARIFICADOR, "costear", "--catalogo", d.carpeta.string(), "--festivos",
                    festivos.string(), log.string()},
                   "/dev/null", &cpu) != 0)
            st.SkipWithError("costear failed");
        con += cpu;
    }
    st.counters["sin_festivos_s"] = sin / static_cast<double>(st.iterations());
    st.counters["con_32000_festivos_s"] = con / static_cast<double>(st.iterations());
    st.counters["con_frente_a_sin"] = con / sin;
}

// costear on a catalogue of 32 766 tariffs, the log 2 000 lines naming tariffs it lacks,
// range(0) different names among them: processor time.
void BM_TarifasDesconocidas(benchmark::State& st) {
    static const std::filesystem::path carpeta = [] {
        const auto c = CarpetaTemporal();
        std::ifstream muestra(CARPETA_DATOS "/tarifas.csv");
        std::string linea, cabecera, provincial;
        std::ofstream f(c / "tarifas.csv");
        for (int n = 0; std::getline(muestra, linea); ++n) {
            if (n <= 5) f << linea << '\n';
            if (linea.starts_with("Provincial,")) provincial = linea.substr(linea.find(','));
        }
        for (int i = 5; i < 32766; ++i) f << "Tarifa " << i << provincial << '\n';
        f.close();
        if (Lanzar(
                {TARIFICADOR, "importar", "--catalogo", c.string(), (c / "tarifas.csv").string()},
                "/dev/null") != 0)
            std::abort();
        return c;
    }();
    const auto log = carpeta / ("desconocidas-" + std::to_string(st.range(0)) + ".csv");
    {
        std::ofstream f(log);
        for (std::int64_t i = 0; i < 2000; ++i)
            f << "2000-01-03T10:00:00,2000-01-03T10:03:00,Inexistente " << i % st.range(0) << '\n';
    }
    double cpu = 0.0;
    for (auto _ : st) {
        double c = 0.0;
        // 1: every line is bad.
        if (Lanzar({TARIFICADOR, "costear", "--catalogo", carpeta.string(), log.string()},
                   "/dev/null", &c) != 1)
            st.SkipWithError("costear did not find the lines bad");
        cpu += c;
    }
    st.counters["costear_s"] = cpu / static_cast<double>(st.iterations());
}

}  // namespace

BENCHMARK(BM_InformeFrenteACostear)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CostearFrenteAlMotor)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_Costear)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DatosDelMotor)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CompararHilos)
    ->Arg(1)
    ->Arg(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_FestivosFrenteANinguno)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TarifasDesconocidas)->Arg(20)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_CompararMemoria)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_InformeMemoria)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
