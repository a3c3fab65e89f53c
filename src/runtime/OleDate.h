#pragma once

#include <cmath>
#include <cstdint>

namespace quelmar::fecha {

// A date/time is a double in the OLE Automation convention: the integer part counts days
// from 1899-12-30, the fraction is the time of day. Negative values keep the time as a
// positive fraction: -1.25 is 1899-12-29 06:00:00 (day -1, a quarter of a day), so the
// calendar day is the integer part truncated toward zero.
//
// Valid dates run from 0100-01-01 to 9999-12-31 23:59:59. Every operation that builds a
// date outside that range, or is given NaN or an infinity, raises error 6 (overflow).
// Before 1899-12-30 the time makes the value more negative: the last second of
// 0100-01-01 is -657434 - 86399/86400.
inline constexpr double kMinima = -657434.0 - 86399.0 / 86400.0;  // 0100-01-01 23:59:59
inline constexpr double kMaxima = 2958465.0 + 86399.0 / 86400.0;  // 9999-12-31 23:59:59
inline constexpr std::int64_t kSegundosDia = 86400;

// Half a second beyond either end still rounds to a valid second.
inline bool EsValida(double d) noexcept {
    return std::isfinite(d) && d > kMinima - 0.5 / 86400.0 && d < kMaxima + 0.5 / 86400.0;
}
// Raises error 6 unless d is a valid date.
double Validar(double d);

// A date/time as whole seconds on a continuous scale: day * 86400 + second of the day,
// where day is the calendar day (0 = 1899-12-30). The time is rounded to the nearest
// second, half a second up, carrying into the next day (23:59:59.6 reads as 00:00:00 of
// the next day), as the platform reads hour, minute and second of a date.
// Inline: the costing engine converts a handful of instants per segment.
inline std::int64_t ASegundos(double d) {
    if (!EsValida(d)) Validar(d);
    // In range, integer conversions truncate toward zero: the day, then the time rounded
    // to the second (half a second up, as the platform does).
    const auto dia = static_cast<std::int64_t>(d);
    const double fraccion = std::fabs(d - static_cast<double>(dia));
    const auto seg = static_cast<std::int64_t>(fraccion * 86400.0 + 0.5);
    return dia * kSegundosDia + seg;
}
double DesdeSegundos(std::int64_t s);
// The calendar day (0 = 1899-12-30) and the second of that day (0..86399) of a whole
// second on that scale.
inline std::int64_t DiaDeSegundos(std::int64_t s) noexcept {
    const std::int64_t q = s / kSegundosDia;
    return s % kSegundosDia < 0 ? q - 1 : q;
}
inline std::int32_t SegundoDelDia(std::int64_t s) noexcept {
    return static_cast<std::int32_t>(s - DiaDeSegundos(s) * kSegundosDia);
}

struct Partes {
    int anio, mes, dia, hora, minuto, segundo;
};
Partes Descomponer(double d);

int Anio(double d);
int Dia(double d);
int Hora(double d);
int Minuto(double d);
int Segundo(double d);
// Weekday, Sunday = 1 ... Saturday = 7.
int DiaSemana(double d);

// Builds a date from year, month and day with run-over: month 13 is January of the next
// year, day 31 of April is 1 May, day 0 is the last day of the previous month.
double DesdeCalendario(long long anio, long long mes, long long dia);
// A time of day (date part 0) from hours, minutes and seconds; may run into other days.
double DesdeHora(long long hora, long long minuto, long long segundo);

// The same day k calendar months later, the day clamped to the target month's last day
// (31 March + 2 months = 31 May; 31 December + 2 months = 28/29 February). Time kept.
double SumarMeses(double d, long long k);
double SumarSegundos(double d, long long s);
double SumarDias(double d, long long n);
// Whole seconds from a to b (b - a), each rounded to the second first.
std::int64_t SegundosEntre(double a, double b);

// The calendar date at 00:00:00, whole seconds.
double SoloFecha(double d);

}  // namespace quelmar::fecha
