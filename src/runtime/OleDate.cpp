#include "runtime/OleDate.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "runtime/RuntimeError.h"

namespace quelmar::fecha {

namespace {

using namespace std::chrono;

constexpr sys_days kEpoca = sys_days{year{1899} / December / 30};
constexpr std::int64_t kDiaMinimo = -657434;
constexpr std::int64_t kDiaMaximo = 2958465;

std::int64_t DiaDe(const year_month_day& ymd) {
    return (sys_days{ymd} - kEpoca).count();
}

year_month_day CivilDe(std::int64_t dia) {
    return year_month_day{kEpoca + days{dia}};
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

constexpr const char* kIntervalo = "las fechas van del 01/01/0100 al 31/12/9999";

void ComprobarDia(std::int64_t dia) {
    if (dia < kDiaMinimo || dia > kDiaMaximo)
        Lanzar(kDesbordamiento, std::string("una fecha fuera de intervalo (") + kIntervalo + ")");
}

}  // namespace

double Validar(double d) {
    if (!EsValida(d)) {
        char b[40];
        std::snprintf(b, sizeof b, "%.17g", d);
        Lanzar(kDesbordamiento, std::string(b) + " no es una fecha (" + kIntervalo + ")");
    }
    return d;
}

double DesdeSegundos(std::int64_t s) {
    const std::int64_t dia = FloorDiv(s, kSegundosDia);
    const std::int64_t seg = s - dia * kSegundosDia;
    ComprobarDia(dia);
    const double frac = static_cast<double>(seg) / 86400.0;
    return dia >= 0 ? static_cast<double>(dia) + frac : static_cast<double>(dia) - frac;
}

Partes Descomponer(double d) {
    const std::int64_t s = ASegundos(d);
    const std::int64_t dia = FloorDiv(s, kSegundosDia);
    const auto seg = static_cast<int>(s - dia * kSegundosDia);
    const year_month_day ymd = CivilDe(dia);
    return Partes{static_cast<int>(ymd.year()),
                  static_cast<int>(unsigned{ymd.month()}),
                  static_cast<int>(unsigned{ymd.day()}),
                  seg / 3600,
                  seg / 60 % 60,
                  seg % 60};
}

int Anio(double d) {
    return Descomponer(d).anio;
}
int Dia(double d) {
    return Descomponer(d).dia;
}
int Hora(double d) {
    return Descomponer(d).hora;
}
int Minuto(double d) {
    return Descomponer(d).minuto;
}
int Segundo(double d) {
    return Descomponer(d).segundo;
}

int DiaSemana(double d) {
    const std::int64_t dia = FloorDiv(ASegundos(d), kSegundosDia);
    // Day 0, 1899-12-30, was a Saturday (7).
    return static_cast<int>(((dia + 6) % 7 + 7) % 7) + 1;
}

double DesdeCalendario(long long anio, long long mes, long long dia) {
    // Keep the arithmetic far from any integer limit before chrono sees it.
    if (anio < -100000 || anio > 100000 || mes < -1200000 || mes > 1200000 || dia < -100000000 ||
        dia > 100000000)
        Lanzar(kDesbordamiento, std::string("una fecha fuera de intervalo (") + kIntervalo + ")");
    const long long m0 = anio * 12 + (mes - 1);
    const long long y = FloorDiv(m0, 12);
    const auto m = static_cast<unsigned>(m0 - y * 12 + 1);
    const year_month_day primero{year{static_cast<int>(y)}, month{m}, std::chrono::day{1}};
    const std::int64_t n = DiaDe(primero) + (dia - 1);
    ComprobarDia(n);
    return static_cast<double>(n);
}

double DesdeHora(long long hora, long long minuto, long long segundo) {
    if (std::llabs(hora) > 100000000 || std::llabs(minuto) > 100000000 ||
        std::llabs(segundo) > 100000000)
        Lanzar(kDesbordamiento, "una hora de más de 100000000 unidades");
    return DesdeSegundos(hora * 3600 + minuto * 60 + segundo);
}

double SumarMeses(double d, long long k) {
    const std::int64_t s = ASegundos(d);
    const std::int64_t dia = FloorDiv(s, kSegundosDia);
    const std::int64_t seg = s - dia * kSegundosDia;
    if (k < -120000 || k > 120000) Lanzar(kDesbordamiento, "demasiados meses que sumar");
    const year_month_day ymd = CivilDe(dia);
    const long long m0 =
        static_cast<long long>(int{ymd.year()}) * 12 + (unsigned{ymd.month()} - 1) + k;
    const long long y = FloorDiv(m0, 12);
    const auto m = static_cast<unsigned>(m0 - y * 12 + 1);
    const year_month_day_last fin{year{static_cast<int>(y)}, month_day_last{month{m}}};
    const unsigned ultimo = unsigned{fin.day()};
    const unsigned di = std::min(unsigned{ymd.day()}, ultimo);
    const std::int64_t nuevo =
        DiaDe(year_month_day{year{static_cast<int>(y)}, month{m}, std::chrono::day{di}});
    ComprobarDia(nuevo);
    return DesdeSegundos(nuevo * kSegundosDia + seg);
}

double SumarSegundos(double d, long long s) {
    if (std::llabs(s) > (kDiaMaximo - kDiaMinimo + 2) * kSegundosDia)
        Lanzar(kDesbordamiento, "demasiados segundos que sumar");
    return DesdeSegundos(ASegundos(d) + s);
}

double SumarDias(double d, long long n) {
    if (std::llabs(n) > kDiaMaximo - kDiaMinimo + 2)
        Lanzar(kDesbordamiento, "demasiados días que sumar");
    return SumarSegundos(d, n * kSegundosDia);
}

std::int64_t SegundosEntre(double a, double b) {
    return ASegundos(b) - ASegundos(a);
}

double SoloFecha(double d) {
    return DesdeSegundos(FloorDiv(ASegundos(d), kSegundosDia) * kSegundosDia);
}

}  // namespace quelmar::fecha
