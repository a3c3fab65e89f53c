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

}  // namespace
}  // namespace quelmar
