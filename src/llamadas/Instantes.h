#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quelmar::llamadas {

// Instants as the tool reads and writes them: AAAA-MM-DDTHH:MM:SS (a blank instead of the
// T also read), days AAAA-MM-DD, times of day HH:MM:SS. Reading is strict: fixed digit
// counts, real calendar dates from the year 100 to 9999, hours 0-23. The OLE date
// built is the one fecha::DesdeSegundos gives for that second, so the engine reads it
// back to the same second and a written value reads back bit for bit.
std::optional<double> LeerInstante(std::string_view s);
// Whether `s` is written AAAA-MM-DD?HH:MM:SS, whatever its values: a text of that form that
// LeerInstante refuses names a day or time that does not exist (30 February, 25:00).
bool FormaDeInstante(std::string_view s);
std::optional<double> LeerDia(std::string_view s);
// An instant as a spreadsheet of the locale writes it: the day, month and year (four
// digits) in the locale's order with "/" or its separator, then optionally H:MM or
// H:MM:SS ("28/12/1999 10:00"); nothing for a locale that writes the year first.
std::optional<double> LeerInstanteLocal(std::string_view s);
// A day alone (at 00:00:00) or an instant.
std::optional<double> LeerDiaOInstante(std::string_view s);
// H:MM or H:MM:SS with one or two digits for the hour, 0-23, on day 0.
std::optional<double> LeerHora(std::string_view s);
// A duration H:MM:SS, hours 0 to 32767 (any number of digits), minutes and seconds 0-59.
std::optional<std::int32_t> LeerDuracion(std::string_view s);

// Whether instant a is before b, to the whole second. Every comparison of instants goes
// through here: before 30 December 1899 an OLE date's day and time of day have opposite
// signs, so comparing the numbers puts 23:00 before 10:00 of the same day.
bool Antes(double a, double b);

// Instants are taken to the whole second, as the engine does.
std::string TextoInstante(double d);
// The same text appended to `r`.
void AnadirInstante(std::string& r, double d);
// The day alone when the time is 00:00:00, else the instant.
std::string TextoDiaOInstante(double d);
// Time of day of the value, HH:MM:SS.
std::string TextoHora(double d);
// Seconds as [-]HH:MM:SS, hours with as many digits as needed.
std::string TextoDuracion(std::int64_t segundos);

// The shortest decimal text, with "." and never an exponent, that reads back as the same
// single-precision value.
std::string TextoImporte(float x);
void AnadirImporte(std::string& salida, float x);

// The one writer of the other numbers every output shows (amounts charged, differences,
// totals, minutes): `x` with `decimales` decimals as printf's "%.*f" writes it, or with
// the fewest that read back as `x` when `decimales` is negative; never an exponent, any
// size (the longest double has 309 digits before its point).
void AnadirDecimal(std::string& salida, double x, int decimales);
std::string TextoDecimal(double x, int decimales);

}  // namespace quelmar::llamadas
