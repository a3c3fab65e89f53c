#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quelmar {

// Enumerates the billing periods that overlap a date range, one text per read of Periodo:
// "<start> - <end>" with both instants in the locale's general date form, "Otro" for a
// period filtered out by year, "" when the enumeration is over.
//
// Periods cover whole days. The first starts at the range start and ends at 23:59:59 of
// the billing day of the first closing month on or after it; each later one runs one
// (monthly class) or two calendar months from its start day, the day clamped to the
// month's end (a clamp carries on to every later period); the last ends at the range end.
class cPeriodo {
  public:
    cPeriodo() = default;

    // per 0: monthly; 1 (and any value but 0 and 2): two months closing in even months;
    // 2: two months closing in odd months. Each call counts toward the two set-up calls
    // Periodo needs; the 32768th call is error 6 (after the settings are stored).
    void Datos(std::uint8_t Dia, std::uint8_t per);
    // Sets the range and restarts the enumeration. Error 6 (nothing changes) for a value
    // that is no date (NaN, infinite, outside years 100..9999).
    void Periodos(double dIni, double dFin);
    // Year filter: periods starting before the year give "Otro"; the first period starting
    // after it ends the enumeration. 9999 means no filter.
    void Filtro(std::int16_t f) noexcept { m_Filtro = f; }
    // Restarts the enumeration with the first period.
    void Reset() noexcept;

    // The next period text; advances the enumeration. Error 6 when a date would pass
    // the year 9999.
    std::string Periodo();
    // The next period as its two instants, the same enumeration as Periodo (each call
    // advances it) without writing and reading back its text: nothing when the
    // enumeration is over; `otro` set for a period filtered out by year.
    struct Intervalo {
        double ini, fin;
        bool otro;
    };
    std::optional<Intervalo> PeriodoFechas();

    // Reads to the end and gives the last text before the empty one ("" if none was left).
    std::string PeriodoActual();

    // The instant before / after the first "-" of a period text. FechaIni of a text without
    // "-" is error 5; a part that is no date/time (FechaFin of "Otro" or "") is error 13.
    static double FechaIni(std::string_view s);
    static double FechaFin(std::string_view s);

  private:
    std::optional<Intervalo> PrimerPeriodo();
    std::optional<Intervalo> SiguientePeriodo();

    std::uint8_t m_Dia = 0;
    std::uint8_t m_Clase = 0;
    double m_Ini = 0.0;
    double m_Fin = 0.0;
    double m_Cursor = 0.0;
    std::int16_t m_Filtro = 9999;
    std::int16_t m_Datos = 0;
    // Whether the first period has come since the last Periodos/Reset. A flag rather than
    // "m_Cursor equals m_Ini": a range ending the day before a midnight start puts the
    // cursor back on m_Ini and would give the first period for ever.
    bool m_PrimeroDado = false;
    // The cursor's calendar date after the first period (the cursor is then a midnight):
    // later periods step by month numbers instead of converting dates back and forth.
    int m_AnioCursor = 0;
    int m_MesCursor = 0;
    int m_DiaCursor = 0;
};

}  // namespace quelmar
