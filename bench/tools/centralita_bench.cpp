// costear on a PBX's Master.csv (--formato asterisk --destinos; and recognised, with
// --troncal) against costear on the plain log of the same calls, each tariff named: the
// processor time of each run side by side (the goal: the records within 1.5 times the plain
// log's time). CENTRALITA_BENCH_REGISTROS sets the number of records (default 100 000).
// `centralita_bench --escribir CARPETA N` only writes the sample catalogue, destinos.csv,
// Master.csv and llamadas.csv of N calls there, for scripts/centralita-memoria.sh.
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "llamadas/Instantes.h"
#include "runtime/OleDate.h"

extern char** environ;

namespace {

using namespace quelmar;

const std::size_t kLlamadas = [] {
    const char* n = std::getenv("CENTRALITA_BENCH_REGISTROS");
    return n ? static_cast<std::size_t>(std::strtoull(n, nullptr, 10)) : std::size_t{100000};
}();

// Runs the program; the child's user + system time in seconds.
double Lanzar(std::vector<std::string> args) {
    posix_spawn_file_actions_t acc;
    posix_spawn_file_actions_init(&acc);
    posix_spawn_file_actions_addopen(&acc, 1, "/dev/null", O_WRONLY, 0);
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
    if (!WIFEXITED(st) || WEXITSTATUS(st) > 1) return -1;
    auto s = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return s(uso.ru_utime) + s(uso.ru_stime);
}

// Calls every 0 to 90 minutes from 2000-01-03, of 0 to 10 minutes, one in six not answered
// (only counted), to mobile, local, provincial and international numbers written as people
// write them; the plain log holds the answered ones with the tariff their prefix picks.
void Escribir(const std::filesystem::path& carpeta, std::size_t n) {
    if (Lanzar({TARIFICADOR, "importar", "--catalogo", carpeta.string(),
                CARPETA_DATOS "/tarifas.csv"}) < 0)
        std::abort();
    std::ofstream(carpeta / "destinos.csv")
        << "prefijo,tarifa\n6,Movil\n7,Movil\n00,Europa\n91,Metropolitana\n9,Provincial\n"
           "908,Infovía\n";
    const std::pair<const char*, const char*> numeros[] = {
        {"600 12 34 56", "Movil"},         {"+44 20 7946 0000", "Europa"},
        {"91-555-12-12", "Metropolitana"}, {"925.123.456", "Provincial"},
        {"908123456", "Infovía"},          {"712345678", "Movil"}};
    const char* disposiciones[] = {"ANSWERED", "ANSWERED", "ANSWERED",
                                   "ANSWERED", "ANSWERED", "NO ANSWER"};
    std::uint64_t x = 88172645463325252ULL;
    auto azar = [&x](std::uint64_t k) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        return static_cast<std::int64_t>(x % k);
    };
    std::ofstream master(carpeta / "Master.csv"), plano(carpeta / "llamadas.csv");
    plano << "inicio,fin,tarifa\n";
    std::int64_t s = fecha::ASegundos(fecha::DesdeCalendario(2000, 1, 3)) + 8 * 3600;
    auto texto = [](std::int64_t t) {
        std::string r = llamadas::TextoInstante(fecha::DesdeSegundos(t));
        r[10] = ' ';
        return r;
    };
    for (std::size_t i = 0; i < n; ++i) {
        s += azar(90 * 60);
        const auto& [numero, tarifa] = numeros[azar(6)];
        const std::string disposicion = disposiciones[azar(6)];
        const bool contestada = disposicion == "ANSWERED";
        const std::int64_t r = s + azar(20), e = r + (contestada ? 1 + azar(600) : 0);
        master << "\"\",\"" << 201 + azar(30) << "\",\"" << numero
               << "\",\"desde-interno\",\"\",\"SIP/201-" << i << "\",\"SIP/troncal-" << i
               << "\",\"Dial\",\"SIP/troncal\",\"" << texto(s) << "\",\""
               << (contestada ? texto(r) : "") << "\",\"" << texto(e) << "\"," << e - s << ','
               << (contestada ? e - r : 0) << ",\"" << disposicion << "\",\"DOCUMENTATION\",\"" << i
               << ".1\",\"\"\n";
        if (contestada) {
            std::string a = texto(r), b = texto(e);
            a[10] = b[10] = 'T';
            plano << a << ',' << b << ',' << tarifa << '\n';
        }
        s = e;
    }
}

struct Datos {
    std::filesystem::path carpeta;
};

const Datos& Preparar() {
    static const Datos d = [] {
        std::string plantilla =
            (std::filesystem::temp_directory_path() / "centralita-bench-XXXXXX").string();
        if (!::mkdtemp(plantilla.data())) std::abort();
        static const struct Borrar {
            std::filesystem::path p;
            ~Borrar() {
                std::error_code ec;
                std::filesystem::remove_all(p, ec);
            }
        } borrar{plantilla};
        Escribir(plantilla, kLlamadas);
        return Datos{plantilla};
    }();
    return d;
}

void BM_AsteriskFrenteAlPlano(benchmark::State& st) {
    const Datos& d = Preparar();
    const std::string cat = d.carpeta.string();
    double asterisk = 0, plano = 0, troncal = 0, asteriskMin = 1e300, planoMin = 1e300,
           troncalMin = 1e300;
    for (auto _ : st) {
        const double a =
            Lanzar({TARIFICADOR, "costear", "--catalogo", cat, "--bonos",
                    CARPETA_DATOS "/bonos.json", "--formato", "asterisk", "--destinos",
                    (d.carpeta / "destinos.csv").string(), (d.carpeta / "Master.csv").string()});
        const double p =
            Lanzar({TARIFICADOR, "costear", "--catalogo", cat, "--bonos",
                    CARPETA_DATOS "/bonos.json", (d.carpeta / "llamadas.csv").string()});
        const double t =
            Lanzar({TARIFICADOR, "costear", "--catalogo", cat, "--bonos",
                    CARPETA_DATOS "/bonos.json", "--troncal", "SIP/troncal", "--destinos",
                    (d.carpeta / "destinos.csv").string(), (d.carpeta / "Master.csv").string()});
        if (a < 0 || p < 0 || t < 0) st.SkipWithError("costear failed");
        asterisk += a, plano += p, troncal += t;
        asteriskMin = std::min(asteriskMin, a), planoMin = std::min(planoMin, p);
        troncalMin = std::min(troncalMin, t);
    }
    const auto n = static_cast<double>(st.iterations());
    st.counters["registros"] = static_cast<double>(kLlamadas);
    st.counters["asterisk_s"] = asterisk / n;
    st.counters["plano_s"] = plano / n;
    st.counters["asterisk_frente_al_plano"] = asterisk / plano;
    st.counters["mejor_asterisk_frente_al_mejor_plano"] = asteriskMin / planoMin;
    st.counters["troncal_s"] = troncal / n;
    st.counters["mejor_troncal_frente_al_mejor_plano"] = troncalMin / planoMin;
}

}  // namespace

BENCHMARK(BM_AsteriskFrenteAlPlano)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--escribir") == 0) {
        Escribir(argv[2], static_cast<std::size_t>(std::strtoull(argv[3], nullptr, 10)));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
