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

TEST(Checked, RoundsHalvesToEvenAndOverflowsInsteadOfWrapping) {
    EXPECT_EQ(CInt(1.5), 2);
    EXPECT_EQ(CInt(2.5), 2);
    EXPECT_EQ(CInt(-2.5), -2);
    EXPECT_EQ(CInt(32767.4), 32767);
    EXPECT_EQ(NumeroDeError([] { CInt(32767.5); }), kDesbordamiento);
    EXPECT_EQ(NumeroDeError([] { CInt(-32768.6); }), kDesbordamiento);
    EXPECT_EQ(NumeroDeError([] { CInt(std::nan("")); }), kDesbordamiento);
    EXPECT_EQ(NumeroDeError([] { CLng(std::numeric_limits<double>::infinity()); }),
              kDesbordamiento);
    EXPECT_EQ(NumeroDeError([] { Sumar16(32767, 1); }), kDesbordamiento);
    EXPECT_EQ(NumeroDeError([] { Sumar32(INT32_MAX, 1); }), kDesbordamiento);
    EXPECT_EQ(NumeroDeError([] { Multiplicar32(65536, 65536); }), kDesbordamiento);
    EXPECT_EQ(Restar32(INT32_MIN + 1, 1), INT32_MIN);
}

TEST(OleDate, EpochNegativeFormAndParts) {
    EXPECT_EQ(fecha::DesdeCalendario(1899, 12, 30), 0.0);
    EXPECT_EQ(fecha::DesdeCalendario(1999, 12, 27), 36521.0);
    // -1.25 is 1899-12-29 06:00: the time stays a positive fraction of a negative day.
    const fecha::Partes p = fecha::Descomponer(-1.25);
    EXPECT_EQ(p.anio, 1899);
    EXPECT_EQ(p.mes, 12);
    EXPECT_EQ(p.dia, 29);
    EXPECT_EQ(p.hora, 6);
    EXPECT_EQ(fecha::DesdeSegundos(fecha::ASegundos(-1.25)), -1.25);
    EXPECT_EQ(fecha::Hora(-0.5), 12);         // day 0 either way
    EXPECT_EQ(fecha::DiaSemana(36521.0), 2);  // Monday
    EXPECT_EQ(fecha::DiaSemana(36526.0), 7);  // Saturday 2000-01-01
    EXPECT_EQ(fecha::DiaSemana(36527.0), 1);  // Sunday
    // On the whole-second scale, days before the epoch still hold seconds 0 to 86399.
    const std::int64_t s = fecha::ASegundos(-1.25);
    EXPECT_EQ(s, -86400 + 6 * 3600);
    EXPECT_EQ(fecha::DiaDeSegundos(s), -1);
    EXPECT_EQ(fecha::SegundoDelDia(s), 6 * 3600);
    EXPECT_EQ(fecha::DiaDeSegundos(-1), -1);
    EXPECT_EQ(fecha::SegundoDelDia(-1), 86399);
    EXPECT_EQ(fecha::DiaDeSegundos(-86400), -1);
    EXPECT_EQ(fecha::SegundoDelDia(-86400), 0);
    EXPECT_EQ(fecha::DiaDeSegundos(86399), 0);
}

TEST(OleDate, TimeRoundsToTheSecondCarryingIntoTheNextDay) {
    const double casi = 36521.0 + (86399.6 / 86400.0);
    const fecha::Partes p = fecha::Descomponer(casi);
    EXPECT_EQ(p.dia, 28);
    EXPECT_EQ(p.hora, 0);
    EXPECT_EQ(p.segundo, 0);
    EXPECT_EQ(fecha::Segundo(fecha::DesdeHora(17, 59, 59)), 59);
    EXPECT_EQ(fecha::SegundosEntre(fecha::DesdeHora(23, 59, 50), 1.0), 10);
}

TEST(OleDate, CalendarRunOverAndMonthClamping) {
    using fecha::DesdeCalendario;
    EXPECT_EQ(DesdeCalendario(1999, 4, 31), DesdeCalendario(1999, 5, 1));
    EXPECT_EQ(DesdeCalendario(1999, 13, 15), DesdeCalendario(2000, 1, 15));
    EXPECT_EQ(DesdeCalendario(2000, 3, 0), DesdeCalendario(2000, 2, 29));
    EXPECT_EQ(DesdeCalendario(2000, 0, 1), DesdeCalendario(1999, 12, 1));
    EXPECT_EQ(fecha::SumarMeses(DesdeCalendario(1999, 3, 31), 2), DesdeCalendario(1999, 5, 31));
    EXPECT_EQ(fecha::SumarMeses(DesdeCalendario(1999, 12, 31), 2), DesdeCalendario(2000, 2, 29));
    EXPECT_EQ(fecha::SumarMeses(DesdeCalendario(2000, 12, 31), 2), DesdeCalendario(2001, 2, 28));
    const double conHora = DesdeCalendario(1999, 1, 31) + 0.75;
    EXPECT_EQ(fecha::SumarMeses(conHora, 1), DesdeCalendario(1999, 2, 28) + 0.75);
}

TEST(OleDate, ValuesOutsideTheDateRangeOverflow) {
    EXPECT_EQ(NumeroDeError([] { fecha::DesdeCalendario(10000, 1, 1); }), kDesbordamiento);
    EXPECT_EQ(NumeroDeError([] { fecha::DesdeCalendario(99, 12, 31); }), kDesbordamiento);
    EXPECT_EQ(NumeroDeError([] { fecha::ASegundos(std::nan("")); }), kDesbordamiento);
    EXPECT_EQ(NumeroDeError([] { fecha::ASegundos(-INFINITY); }), kDesbordamiento);
    EXPECT_EQ(NumeroDeError([] { fecha::SumarMeses(fecha::DesdeCalendario(9999, 12, 1), 1); }),
              kDesbordamiento);
    EXPECT_EQ(NumeroDeError([] { fecha::DesdeCalendario(1LL << 40, 1, 1); }), kDesbordamiento);
    EXPECT_EQ(fecha::Anio(fecha::kMaxima), 9999);
    // The first valid day holds every second of its own: 0100-01-01 10:00 is -657434.41...
    const double primero = fecha::DesdeCalendario(100, 1, 1) - 10.0 / 24.0;
    EXPECT_EQ(fecha::Hora(primero), 10);
    EXPECT_EQ(fecha::Anio(fecha::kMinima), 100);
    EXPECT_EQ(fecha::Segundo(fecha::kMinima), 59);
    EXPECT_EQ(NumeroDeError([] { fecha::ASegundos(-657435.0); }), kDesbordamiento);
}

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

TEST(CodePage, EveryByteRoundTripsAndUnmappableCharactersBecomeQuestionMarks) {
    std::string todos;
    for (int b = 0; b < 256; ++b) todos += static_cast<char>(b);
    EXPECT_EQ(Utf8ACp1252(Cp1252AUtf8(todos)), todos);
    EXPECT_EQ(Cp1252AUtf8("\x80"), "\u20AC");
    EXPECT_EQ(Cp1252AUtf8("Espa\xF1"
                          "a"),
              "España");
    EXPECT_EQ(Utf8ACp1252("Ñandú €"),
              "\xD1"
              "and\xFA \x80");
    EXPECT_EQ(Utf8ACp1252("a\u4E2Db"), "a?b");
    EXPECT_EQ(Utf8ACp1252("\xF0\x9F\x98\x80"), "?");
    EXPECT_EQ(Utf8ACp1252("\xC3"), "?");  // cut sequence
}

TEST(Texto, FixedWidthFieldsAndTrimming) {
    TextoFijo<7> t;
    EXPECT_EQ(t.Texto(), std::string(7, '\0'));
    t.Asignar("0,15");
    EXPECT_EQ(t.Texto(), "0,15   ");
    t.Asignar("123456789");
    EXPECT_EQ(t.Texto(), "1234567");
    EXPECT_EQ(RecortarEspacios("  a b \t "), "a b \t");
    EXPECT_EQ(RecortarEspacios(std::string("\0a ", 3)), std::string("\0a", 2));
}

TEST(Texto, LeadingNumberOfAText) {
    struct Caso {
        const char* texto;
        double valor;
    };
    const Caso casos[] = {
        {"12", 12},
        {" 1.5:30", 1.5},
        {":30", 0},
        {"", 0},
        {"abc", 0},
        {"-1:30", -1},
        {"0,15", 0},
        {"1 2 3", 123},
        {"+7x", 7},
        {".5", 0.5},
        {"1e3", 1000},
        {"2.5.1", 2.5},
        {"\t\n 9", 9},
        {"1E", 1},
        {"-", 0},
        {"0.1", 0.1},
        {"-2.5e-3", -2.5e-3},
        // Many digits and large exponents read as strtod reads them.
        {"3.14159265358979323846264338327950288419716939937510", 3.141592653589793},
        {"0.00000000000000000000000001", 1e-26},
        {"12345678901234567890123", 12345678901234567890123.0},
        {"9007199254740993", 9007199254740993.0},
        {"1e400", HUGE_VAL},
        {"-1e400", -HUGE_VAL},
        {"1e-400", 0.0}};
    for (const Caso& c : casos) EXPECT_EQ(NumeroInicial(c.texto), c.valor) << c.texto;
}

TEST(Variant, OrdinaryConversions) {
    LocaleScope l(Locale::PorDefecto());
    EXPECT_EQ(CStr(Variant()), "");
    EXPECT_EQ(CStr(Variant(0.5)), "0,5");
    EXPECT_EQ(CStr(Variant(std::int16_t{-1})), "-1");
    EXPECT_EQ(CStr(Variant(1e20)), "1E+20");
    EXPECT_EQ(CStr(Variant(0.1f)), "0,1");
    EXPECT_EQ(CStr(Variant::DeFecha(fecha::DesdeHora(8, 30, 0))), "08:30:00");
    EXPECT_EQ(CDate(Variant("8:30")), fecha::DesdeHora(8, 30, 0));
    EXPECT_EQ(CDate(Variant()), 0.0);
    EXPECT_EQ(CDate(Variant(36521.5)), 36521.5);
    EXPECT_EQ(NumeroDeError([] { CDate(Variant("mañana")); }), kTiposNoCoinciden);
    EXPECT_EQ(NumeroDeError([] { CDate(Variant(1e300)); }), kDesbordamiento);
    EXPECT_TRUE(IsDate(Variant("27/12/1999")));
    EXPECT_FALSE(IsDate(Variant(std::int16_t{-1})));
    EXPECT_FALSE(IsDate(Variant(36521.0)));
    EXPECT_EQ(CInt(Variant("2,5")), 2);
    EXPECT_EQ(NumeroDeError([] { CInt(Variant("x")); }), kTiposNoCoinciden);
    EXPECT_EQ(NumeroDeError([] { CInt(Variant(40000.0)); }), kDesbordamiento);
}

}  // namespace
}  // namespace quelmar
