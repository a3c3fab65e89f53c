// Opens generated plain logs as the costs window does (the whole run, every call kept as
// a row, the candidates costed) and prints, for each size, the best processor time of a
// few runs and the memory the result holds per call.
//
//   costes_abrir [CALLS...]        (default: 100000 1000000)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "costes/Motor.h"

namespace {

using namespace quelmar::costes;

class Mudo final : public Progreso {
  public:
    void Avance(std::uint64_t, std::uint64_t) override {}
    bool Cancelar() const override { return false; }
};

// Bytes in use by the process now, from /proc (resident set).
long Residente() {
    std::ifstream f("/proc/self/statm");
    long paginas = 0, residentes = 0;
    f >> paginas >> residentes;
    return residentes * 4096;
}

double Procesador() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void Log(const std::filesystem::path& p, long n) {
    static const char* const kTarifas[] = {"", ",Provincial", ",Nacional", ",Movil",
                                           ",Plana Noche"};
    std::FILE* f = std::fopen(p.c_str(), "w");
    std::fputs("inicio,fin,tarifa\n", f);
    for (long i = 0; i < n; ++i) {
        const long s = i * 97;  // about 8 days a month of calls for 10^5
        const long dia = s / 86400, seg = s % 86400;
        const int y = 2000 + static_cast<int>(dia / 336), m = 1 + static_cast<int>(dia / 28 % 12),
                  d = 1 + static_cast<int>(dia % 28);
        const int h = static_cast<int>(seg / 3600), mi = static_cast<int>(seg / 60 % 60);
        std::fprintf(f, "%04d-%02d-%02dT%02d:%02d:00,%04d-%02d-%02dT%02d:%02d:%02d%s\n", y, m, d, h,
                     mi, y, m, d, h, mi, static_cast<int>(i % 60), kTarifas[i % 5]);
    }
    std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<long> tamanos;
    for (int i = 1; i < argc; ++i) tamanos.push_back(std::atol(argv[i]));
    if (tamanos.empty()) tamanos = {100000, 1000000};
    const auto carpeta = std::filesystem::temp_directory_path() / "costes_abrir";
    std::filesystem::create_directories(carpeta);
    const std::string orden = std::string(IMPORTAR_MUESTRA) + " " CARPETA_DATOS "/tarifas.csv " +
                              (carpeta / "Tarifas.Dat").string() + " >/dev/null 2>&1";
    if (std::system(orden.c_str()) != 0) return 1;
    const auto motor = MotorDeLlamadas();
    std::printf("%10s %12s %14s\n", "llamadas", "segundos", "bytes/llamada");
    for (const long n : tamanos) {
        const auto log = carpeta / "llamadas.csv";
        Log(log, n);
        Pedido p;
        p.fichero = log;
        p.opciones.catalogo = carpeta;
        p.periodo.clase = Periodo::Clase::Todo;
        Mudo mudo;
        double mejor = 1e300;
        long bytes = 0;
        for (int vez = 0; vez < 3; ++vez) {
            const long antes = Residente();
            const double t0 = Procesador();
            const Resultado r = motor->Costear(p, mudo);
            mejor = std::min(mejor, Procesador() - t0);
            bytes = std::max(bytes, (Residente() - antes));
            if (r.todas.size() != static_cast<std::size_t>(n)) return 1;
        }
        std::printf("%10ld %12.2f %14.1f\n", n, mejor,
                    static_cast<double>(bytes) / static_cast<double>(n));
    }
    std::filesystem::remove_all(carpeta);
    return 0;
}
