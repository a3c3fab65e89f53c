#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>

#include "runtime/Checked.h"
#include "runtime/CodePage.h"
#include "runtime/Locale.h"
#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"
#include "runtime/Texto.h"
#include "runtime/Variant.h"
#include "support/NumeroDeError.h"

namespace quelmar {
namespace {

TEST(Locale, GeneralDateFormAndReadingBack) {
    LocaleScope l(Locale::PorDefecto());
    const double d = fecha::DesdeCalendario(1999, 3, 10);
    EXPECT_EQ(TextoFecha(d), "10/03/1999");
    EXPECT_EQ(TextoFecha(d + fecha::DesdeHora(10, 0, 0)), "10/03/1999 10:00:00");
    EXPECT_EQ(TextoFecha(fecha::DesdeHora(8, 30, 0)), "08:30:00");
    EXPECT_EQ(TextoFecha(0.0), "00:00:00");
    for (double v : {d, d + fecha::DesdeHora(23, 59, 59), fecha::DesdeHora(0, 0, 1)})
        EXPECT_EQ(LeerFecha(TextoFecha(v)), v) << TextoFecha(v);
    EXPECT_EQ(LeerFecha(" 8:30 "), fecha::DesdeHora(8, 30, 0));
    EXPECT_EQ(LeerFecha("1999-03-10"), d);
    EXPECT_EQ(LeerFecha("10/03/99"), d);
    EXPECT_FALSE(LeerFecha("31/04/1999"));
    EXPECT_FALSE(LeerFecha("24:00"));
    EXPECT_FALSE(LeerFecha("abc"));
    EXPECT_FALSE(LeerFecha(""));
    EXPECT_FALSE(LeerFecha("10/03/1999 x"));
}

// Runs of digits longer than any date part once overflowed the accumulator (UBSan).
TEST(Locale, LongRunsOfDigitsAreNoDate) {
    LocaleScope l(Locale::PorDefecto());
    for (const char* texto : {"99999999999/1/2000", "1/99999999999/2000", "1/1/99999999999",
                              "99999999999:00", "10:99999999999999999999", "00001/1/2000"})
        EXPECT_FALSE(LeerFecha(texto)) << texto;
    EXPECT_EQ(NumeroDeError([] { CDate(Variant("99999999999/1/2000")); }), kTiposNoCoinciden);
}

TEST(Locale, OtherOrdersAndADashSeparatorWrittenAsSlash) {
    LocaleScope l(Locale{Locale::Orden::MesDiaAnio, '-', '.'});
    const double d = fecha::DesdeCalendario(1999, 3, 10);
    EXPECT_EQ(TextoFecha(d), "03/10/1999");
    EXPECT_EQ(LeerFecha("03/10/1999"), d);
    EXPECT_EQ(CStr(Variant(0.5)), "0.5");
}

// The documented reading rules no other test holds: two-digit years fall in 1930..2029,
// a first number of three or four digits makes the date year-month-day whatever the
// locale's order, and "-" and "." separate dates as "/" does.
TEST(Locale, TwoDigitYearsFallIn1930To2029AndLongFirstNumbersAreYears) {
    const LocaleScope l(Locale::PorDefecto());
    struct Caso {
        const char* texto;
        int anio, mes, dia;
    };
    const Caso casos[] = {{"1/2/29", 2029, 2, 1},   {"1/2/30", 1930, 2, 1},
                          {"1/2/00", 2000, 2, 1},   {"31/12/99", 1999, 12, 31},
                          {"1999/2/3", 1999, 2, 3}, {"100/2/3", 100, 2, 3},
                          {"3-2-2024", 2024, 2, 3}, {"3.2.2024", 2024, 2, 3}};
    for (const Caso& c : casos)
        EXPECT_EQ(LeerFecha(c.texto), fecha::DesdeCalendario(c.anio, c.mes, c.dia)) << c.texto;
    for (const char* malo : {"30/2/2024", "1/13/2024", "0/1/2024", "1/1/99999", "12:60", "24:00"})
        EXPECT_FALSE(LeerFecha(malo)) << malo;
}

}  // namespace
}  // namespace quelmar
