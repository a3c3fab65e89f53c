#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quelmar {

// How the user writes dates and numbers. One process-wide value, set once at start from
// the user's locale; tests pin it with LocaleScope. Date texts always carry four-digit
// years, two-digit days and months and 24-hour HH:MM:SS times, and never contain "-"
// (period texts are cut at the first "-"), so a "-" separator is written as "/".
struct Locale {
    enum class Orden { DiaMesAnio, MesDiaAnio, AnioMesDia };
    Orden orden = Orden::DiaMesAnio;
    char separadorFecha = '/';
    char separadorDecimal = ',';

    // The default, and what tests pin: day/month/year with "/" and a decimal comma.
    static Locale PorDefecto() { return Locale{}; }
};

const Locale& LocaleActual() noexcept;
void FijarLocale(Locale l);

// Sets the process locale for a scope and restores the previous one on exit.
class LocaleScope {
  public:
    explicit LocaleScope(const Locale& l);
    ~LocaleScope();
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;

  private:
    Locale m_Previo;
};

// The general form of a date/time: the date alone at midnight, the time alone on day 0,
// otherwise date, a blank and time. Day 0 at midnight reads "00:00:00". Raises error 6
// for a value that is no date.
std::string TextoFecha(double d);

// Reads a date/time text: a date, a time, or a date, blanks and a time. Dates are three
// numbers in the locale's order separated by the locale's separator, "/", "." or "-";
// a first number of three or four digits makes it year-month-day. Two-digit years fall
// in 1930..2029. Times are h:m or h:m:s in 24-hour form. Blanks around are allowed.
// Answers nothing when the text is no valid date or time.
std::optional<double> LeerFecha(std::string_view texto);

// A number as the platform turns it into text: up to `digitos` significant digits, no
// trailing zeros, the locale's decimal separator, exponent form for very large or small
// magnitudes ("1E+20").
std::string TextoNumero(double x, int digitos = 15);
// Reads a whole text as a number in the locale (blanks around allowed; either "." or the
// locale separator as decimal point, an optional sign and exponent). Nothing on failure.
std::optional<double> LeerNumero(std::string_view texto);

}  // namespace quelmar
