// Costs worked out by hand from the tariffs below; a price per minute p charges p/60
// per second.
#include <chrono>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

#include "bono/cBono.h"
#include "costing/cCosteo.h"
#include "costing/cLlamada.h"
#include "runtime/Locale.h"
#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"
#include "support/CarpetaTemporal.h"
#include "support/NumeroDeError.h"
#include "support/Tarifas.h"

namespace quelmar {
namespace {

double En(int y, int mes, int d, int h = 0, int mi = 0, int s = 0) {
    return fecha::DesdeCalendario(y, mes, d) + fecha::DesdeHora(h, mi, s);
}

using prueba::AnadirTarifa;
using prueba::Dia;
using prueba::Hora;

class Costeo : public ::testing::Test {
  protected:
    LocaleScope locale{Locale::PorDefecto()};
    CarpetaTemporal dir;

    // Position 0 is the worked example's tariff; 1..4 the bono kinds, free of charge,
    // their normal band 08:00..22:00 making the day group (on every day kind but
    // holidays, whose normal band is empty: holidays are all night).
    void SetUp() override {
        cLlamada c(dir.ruta());
        AnadirTarifa(c, "Normal", "10", Hora(0, 30),
                     Dia{{"12", Hora(8, 0), Hora(18, 0)}, {"6", Hora(18, 0), Hora(8, 0)}});
        for (const char* bono : {"10DIA", "50DIA", "10NOCHE", "50NOCHE"}) {
            AnadirTarifa(
                c, bono, "1", Hora(0, 0),
                Dia{{"0", Hora(8, 0), Hora(22, 0)}, {"0", Hora(22, 0, 1), Hora(7, 59, 59)}});
            const auto i = static_cast<std::int16_t>(c.Count() - 1);
            c.Valor(i, "Festivo.Normal.Inicio", Hora(0, 0));
            c.Valor(i, "Festivo.Normal.Fin", Hora(0, 0));
        }
        // One per second everywhere, no connection time.
        AnadirTarifa(c, "Plana", "0", Hora(0, 0),
                     Dia{{"60", Hora(0, 0), Hora(23, 59, 59)}, {"60", Hora(0, 0), Hora(0, 0)}});
        // Normal band until 21:59:59, reduced band to 23:59:59.
        AnadirTarifa(
            c, "Noche", "0", Hora(0, 0),
            Dia{{"120", Hora(8, 0), Hora(21, 59, 59)}, {"60", Hora(22, 0), Hora(23, 59, 59)}});
        c.Valor(6, "Festivo.Normal.Inicio", Hora(0, 0));
        c.Valor(6, "Festivo.Normal.Fin", Hora(23, 59, 59));
        // Ten-second connection time.
        AnadirTarifa(c, "Diez", "3", Hora(0, 10),
                     Dia{{"12", Hora(8, 0), Hora(18, 0)}, {"6", Hora(18, 0), Hora(8, 0)}});
        c.Save();
    }

    cLlamada Motor() {
        cLlamada m(dir.ruta());
        m.NombreTarifa("Normal");
        return m;
    }
};

TEST_F(Costeo, WorkedExampleAcrossTheEndOfTheNormalBand) {
    cLlamada m = Motor();
    m.Datos(En(1999, 12, 27, 17, 59, 0), En(1999, 12, 27, 18, 1, 0));
    // 10 + 31 s at 12/min (6.2) + 59 s at 6/min (5.9).
    EXPECT_FLOAT_EQ(m.importe(), 22.1f);
    EXPECT_EQ(m.Duracion(), "00:02:00");
    EXPECT_EQ(m.Tipo(), 0);
    EXPECT_EQ(m.TipoActual(), 1);
    EXPECT_FALSE(m.BonoNet());
    EXPECT_FALSE(m.BonoNetActual());
}

TEST_F(Costeo, ShortAndEmptyCallsCostTheConnectionCharge) {
    cLlamada m = Motor();
    m.Datos(En(1999, 12, 27, 12, 0, 0), En(1999, 12, 27, 12, 0, 10));
    EXPECT_EQ(m.importe(), 10.0f);
    EXPECT_EQ(m.Duracion(), "00:00:10");
    m.Datos(En(1999, 12, 27, 12, 0, 0), En(1999, 12, 27, 12, 0, 0));
    EXPECT_EQ(m.importe(), 10.0f);
    EXPECT_EQ(m.Duracion(), "00:00:00");
    // An end before the start: the connection charge and a negative duration.
    m.Datos(En(1999, 12, 27, 12, 1, 0), En(1999, 12, 27, 12, 0, 0));
    EXPECT_EQ(m.importe(), 10.0f);
    EXPECT_EQ(m.Duracion(), "00:-01:00");
}

TEST_F(Costeo, EmptyCallJustBeforeMidnightWithAConnectionTimeEnds) {
    cLlamada m = Motor();
    const double d = En(1999, 12, 27, 23, 59, 50);
    m.Datos(d, d, nullptr, "Diez");
    EXPECT_EQ(m.importe(), 3.0f);
    EXPECT_EQ(m.Duracion(), "00:00:00");
}

TEST_F(Costeo, EmptyOrUnknownTariffNames) {
    cLlamada m = Motor();
    m.Datos(En(1999, 12, 27, 17, 59, 0), En(1999, 12, 27, 18, 1, 0), nullptr, "");
    EXPECT_FLOAT_EQ(m.importe(), 22.1f);
    // An unknown name changes no result.
    m.Datos(En(1999, 12, 27, 10, 0, 0), En(1999, 12, 27, 11, 0, 0), nullptr, "normal");
    EXPECT_FLOAT_EQ(m.importe(), 22.1f);
    EXPECT_EQ(m.Duracion(), "00:02:00");
    EXPECT_EQ(m.TipoActual(), 1);
    // No catalogue file at all: nothing either.
    CarpetaTemporal vacia;
    cLlamada sin(vacia.ruta());
    sin.NombreTarifa("Normal");
    sin.Datos(En(1999, 12, 27, 10, 0, 0), En(1999, 12, 27, 11, 0, 0));
    EXPECT_EQ(sin.importe(), 0.0f);
    EXPECT_EQ(sin.Duracion(), "");
}

TEST_F(Costeo, BillingPeriodEndSplitsTheCallAndSkipsNoSecondTwice) {
    cLlamada m = Motor();
    cBono r;
    r.DiaFactura(15);
    // Saturday 15 January 2000 23:59:00 to Sunday 00:01:00: 59 + 60 seconds at 1/s.
    m.Datos(En(2000, 1, 15, 23, 59, 0), En(2000, 1, 16, 0, 1, 0), &r, "Plana");
    EXPECT_FLOAT_EQ(m.importe(), 119.0f);
    EXPECT_EQ(m.Duracion(), "00:02:00");
}

TEST_F(Costeo, ConnectionAndBonoSegmentsUseTheBonoKindsTariff) {
    cLlamada m = Motor();
    cBono r;
    r.DiaFactura(15);
    r.DarAlta(0, Variant::DeFecha(En(1999, 12, 1)));
    r.tiempo(0, "00:01:00");
    // Wednesday 12:59 to 13:01, day group: 60 s of bono time cover the first minute free
    // (10DIA tariff), the second costs 60 s at 12/min = 12; the connection is charged
    // under the 10DIA tariff (1).
    m.Datos(En(1999, 12, 15, 12, 59, 0), En(1999, 12, 15, 13, 1, 0), &r);
    EXPECT_FLOAT_EQ(m.importe(), 13.0f);
    EXPECT_TRUE(m.BonoNet());
    EXPECT_FALSE(m.BonoNetActual());
    EXPECT_EQ(m.Bono().tiempo(0), "00:00:00");
    // The caller's registry is never changed.
    EXPECT_EQ(r.tiempo(0), "00:01:00");
}

TEST_F(Costeo, RegistryIsRefilledBetweenBillingPeriods) {
    // Billing day 15 of odd months; the day group extended to whole weekdays.
    {
        cLlamada c(dir.ruta());
        c.Load();
        for (const char* k : {"Semana.Normal.Inicio", "Semana.Normal.Fin"})
            c.Valor(1, k, std::string(k).ends_with("Fin") ? Hora(23, 59, 59) : Hora(0, 0));
        c.Save();
    }
    cLlamada m = Motor();
    cBono r;
    r.DiaFactura(15);
    r.DarAlta(0, Variant::DeFecha(En(1999, 12, 1)));
    r.tiempo(0, "00:01:00");
    // 59 s before midnight from the bono's minute, refilled to 10 hours at 00:00:00, then
    // 60 s more from it: all free; the connection (1) under the 10DIA tariff.
    // Wednesday 15 March 2000 23:59:00 to Thursday 00:01:00.
    m.Datos(En(2000, 3, 15, 23, 59, 0), En(2000, 3, 16, 0, 1, 0), &r);
    EXPECT_FLOAT_EQ(m.importe(), 1.0f);
    EXPECT_EQ(m.Bono().tiempo(0), "09:59:00");
}

TEST_F(Costeo, BonoTimeRunningOutMidSegmentReturnsToTheCostedTariff) {
    cLlamada m = Motor();
    cBono r;
    r.DarAlta(0, Variant::DeFecha(En(1999, 12, 1)));
    r.tiempo(0, "00:00:30");
    // Monday 10:00:00 to 10:02:00: connection 1 under 10DIA, 30 s free, 90 s at 12/min.
    m.Datos(En(1999, 12, 27, 10, 0, 0), En(1999, 12, 27, 10, 2, 0), &r);
    EXPECT_FLOAT_EQ(m.importe(), 19.0f);
    EXPECT_TRUE(m.BonoNet());
    EXPECT_FALSE(m.BonoNetActual());
    EXPECT_EQ(m.Bono().tiempo(0), "00:00:00");
}

TEST_F(Costeo, PassingTheEnginesOwnRegistryBackCarriesBonoTimeOn) {
    cLlamada m = Motor();
    cBono r;
    r.DarAlta(0, Variant::DeFecha(En(1999, 12, 1)));
    r.tiempo(0, "00:02:00");
    m.Datos(En(1999, 12, 27, 10, 0, 0), En(1999, 12, 27, 10, 1, 30), &r);
    EXPECT_EQ(m.Bono().tiempo(0), "00:00:30");
    EXPECT_FLOAT_EQ(m.importe(), 1.0f);
    m.Datos(En(1999, 12, 27, 11, 0, 0), En(1999, 12, 27, 11, 1, 30), &m.Bono());
    EXPECT_EQ(m.Bono().Count(), 1);
    EXPECT_EQ(m.Bono().tiempo(0), "00:00:00");
    // 1 + 30 s free + 60 s at 12/min.
    EXPECT_FLOAT_EQ(m.importe(), 13.0f);
}

TEST_F(Costeo, KindWithoutPositiveTimeIsNotChargedAndTheCallStillEnds) {
    cLlamada m = Motor();
    cBono r;
    // The group holds time (one hour in all), but the kind charged first, 50DIA, holds
    // less than none: its segments are priced under the costed tariff.
    r.DarAlta(1, Variant::DeFecha(En(1999, 12, 1)));
    r.tiempo(0, "-01:00:00");
    r.DarAlta(0, Variant::DeFecha(En(1999, 12, 1)));
    r.tiempo(1, "02:00:00");
    m.Datos(En(1999, 12, 27, 10, 0, 0), En(1999, 12, 27, 10, 2, 0), &r);
    // Connection 1 under the 50DIA tariff, then 120 s at 12/min.
    EXPECT_FLOAT_EQ(m.importe(), 25.0f);
    EXPECT_EQ(m.Bono().tiempo(0), "-01:00:00");
    EXPECT_EQ(m.Bono().tiempo(1), "02:00:00");
}

TEST_F(Costeo, BandTimesThatAreNoDatesAreRunTimeErrors) {
    {
        cLlamada c(dir.ruta());
        c.Load();
        c.Valor(0, "Semana.Normal.Fin", Variant::DeFecha(std::nan("")));
        c.Save();
    }
    cLlamada m = Motor();
    EXPECT_EQ(
        NumeroDeError([&] { m.Datos(En(1999, 12, 27, 10, 0, 0), En(1999, 12, 27, 10, 2, 0)); }),
        kDesbordamiento);
}

TEST_F(Costeo, WithoutARegistryTheEnginesOwnIsRefilledEachTime) {
    cLlamada m = Motor();
    cBono r;
    r.DarAlta(0, Variant::DeFecha(En(1999, 12, 1)));
    r.tiempo(0, "00:00:30");
    m.Datos(En(1999, 12, 27, 10, 0, 0), En(1999, 12, 27, 10, 2, 0), &r);
    // Refilled to 10 hours: the whole call is free but the connection.
    m.Datos(En(1999, 12, 27, 10, 0, 0), En(1999, 12, 27, 10, 2, 0));
    EXPECT_FLOAT_EQ(m.importe(), 1.0f);
    const float primero = m.importe();
    m.Datos(En(1999, 12, 27, 10, 0, 0), En(1999, 12, 27, 10, 2, 0));
    EXPECT_EQ(m.importe(), primero);
    EXPECT_EQ(m.Bono().tiempo(0), "09:58:00");
}

TEST_F(Costeo, BandEndingAt235959MeasuresToMidnight) {
    cLlamada m = Motor();
    // Tuesday 28 December 1999 is made a holiday, priced 2/s all day: 10 s at 1/s in
    // the reduced band to midnight, then 20 s at 2/s.
    m.Festivos({Variant::DeFecha(En(1999, 12, 28)), Variant()});
    m.Datos(En(1999, 12, 27, 23, 59, 50), En(1999, 12, 28, 0, 0, 20), nullptr, "Noche");
    EXPECT_FLOAT_EQ(m.importe(), 50.0f);
    EXPECT_EQ(m.Tipo(), 1);
    EXPECT_EQ(m.TipoActual(), 0);
}

TEST_F(Costeo, BandCodesAtTheBandLimits) {
    cLlamada m = Motor();
    struct Caso {
        int h, mi, s;
        std::int16_t tipo;
    };
    const Caso casos[] = {
        {8, 0, 0, 0}, {18, 0, 0, 0}, {18, 0, 1, 1}, {7, 59, 59, 1}, {12, 0, 0, 0}};
    for (const Caso& c : casos) {
        const double d = En(1999, 12, 27, c.h, c.mi, c.s);
        m.Datos(d, d);
        EXPECT_EQ(m.Tipo(), c.tipo) << c.h << ":" << c.mi << ":" << c.s;
    }
    // An empty reduced band gives -1 outside the normal band; "Plana" has one.
    const double noche = En(1999, 12, 27, 23, 0, 0);
    m.Datos(noche, noche, nullptr, "Plana");
    EXPECT_EQ(m.Tipo(), 0);
    {
        cLlamada c(dir.ruta());
        c.Load();
        c.Valor(5, "Semana.Normal.Fin", Hora(22, 0));
        c.Save();
    }
    m.Datos(noche, noche, nullptr, "Plana");
    EXPECT_EQ(m.Tipo(), -1);
}

TEST_F(Costeo, DayKindsAndHolidays) {
    cLlamada m = Motor();
    EXPECT_EQ(m.TipoDia(En(1999, 12, 25)), 1);
    EXPECT_EQ(m.TipoDia(En(1999, 12, 26)), 2);
    EXPECT_EQ(m.TipoDia(En(1999, 12, 27)), 0);
    m.Festivos({Variant::DeFecha(En(1999, 12, 27)), Variant("06/01/2000"), Variant("25/12/1999"),
                Variant::DeFecha(En(1999, 12, 28))});
    EXPECT_EQ(m.TipoDia(En(1999, 12, 27, 14, 30)), 2);
    EXPECT_EQ(m.TipoDia(En(2000, 1, 6)), 2);
    EXPECT_EQ(m.TipoDia(En(1999, 12, 25)), 2);  // a holiday on a Saturday
    EXPECT_EQ(m.TipoDia(En(1999, 12, 28)), 0);  // the spare entry is never read
    // A holiday with a time of day matches nothing; a one-entry list clears the list.
    m.Festivos({Variant::DeFecha(En(1999, 12, 27, 12)), Variant()});
    EXPECT_EQ(m.TipoDia(En(1999, 12, 27, 12)), 0);
    m.Festivos({Variant()});
    EXPECT_EQ(m.TipoDia(En(2000, 1, 6)), 0);
}

TEST_F(Costeo, HolidayListFailures) {
    cLlamada m = Motor();
    EXPECT_EQ(NumeroDeError([&] { m.Festivos({}); }), kFueraDeRango);
    EXPECT_EQ(
        NumeroDeError([&] {
            m.Festivos({Variant("27/12/1999"), Variant("nunca"), Variant("06/01/2000"), Variant()});
        }),
        kTiposNoCoinciden);
    // The entries before the failure are kept.
    EXPECT_EQ(m.TipoDia(En(1999, 12, 27)), 2);
    EXPECT_EQ(m.TipoDia(En(2000, 1, 6)), 0);
    EXPECT_EQ(NumeroDeError([&] { m.Festivos(std::vector<Variant>(32770)); }), kDesbordamiento);
}

TEST_F(Costeo, InstantsThatAreNoDatesAreRunTimeErrors) {
    cLlamada m = Motor();
    const double ok = En(1999, 12, 27, 10);
    for (double malo : {std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity(), 1e12, -1e12}) {
        EXPECT_EQ(NumeroDeError([&] { m.Datos(malo, ok); }), kDesbordamiento);
        EXPECT_EQ(NumeroDeError([&] { m.Datos(ok, malo); }), kDesbordamiento);
    }
    // Decades apart: the duration does not fit a time value (32767 hours at most).
    EXPECT_EQ(NumeroDeError([&] { m.Datos(En(1970, 1, 1), En(2000, 1, 1)); }), kDesbordamiento);
    EXPECT_EQ(NumeroDeError([&] { m.Datos(En(2000, 1, 1), En(1970, 1, 1)); }), kDesbordamiento);
}

TEST_F(Costeo, LongCallsAndFractionsOfASecond) {
    cLlamada m = Motor();
    // 151 days at one per second under "Plana", less the last second of the three billing
    // periods that end inside the call (1 January, 1 March, 1 May at 23:59:59 with
    // billing day 1): whole numbers below 2^24 add exactly in single precision.
    m.Datos(En(1999, 1, 1), En(1999, 6, 1), nullptr, "Plana");
    EXPECT_EQ(m.importe(), 151.0f * 86400.0f - 3.0f);
    EXPECT_EQ(m.Duracion(), "3624:00:00");
    // Three years, across 18 billing periods.
    m.Datos(En(1999, 1, 1), En(2002, 1, 1), nullptr, "Plana");
    EXPECT_NEAR(m.importe(), 1096.0 * 86400.0, 1096.0 * 86400.0 * 1e-4);
    EXPECT_EQ(m.Duracion(), "26304:00:00");
    // Fractions of a second are taken to the whole second.
    const double ini = En(1999, 12, 27, 10) + 0.1 / 86400;
    m.Datos(ini, ini + 0.3 / 86400, nullptr, "Plana");
    EXPECT_EQ(m.importe(), 0.0f);
    m.Datos(ini, ini + 9.9 / 86400, nullptr, "Plana");
    EXPECT_EQ(m.importe(), 10.0f);
}

// The stretches Datos tells follow one another from the call's start, their seconds make
// its length and their amounts, added in order, its importe; without an observer the
// costing is the same. Random calls of up to three days, some with bono time, on every
// tariff of the fixture (connection times, bands over midnight, period ends).
TEST_F(Costeo, StretchesTileTheCallAndAddUpToItsAmount) {
    struct Tramos : ObservadorTramos {
        std::vector<cTramo> v;
        void Tramo(const cTramo& t) override { v.push_back(t); }
    } tramos;
    cLlamada con = Motor(), sin = Motor();
    con.ObservarTramos(&tramos);
    std::uint64_t x = 88172645463325252ULL;
    auto azar = [&x](std::uint64_t n) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        return static_cast<std::int64_t>(x % n);
    };
    const char* nombres[] = {"Normal", "Plana", "Noche", "Diez"};
    int vistos[3] = {}, conBono = 0;
    for (int i = 0; i < 300; ++i) {
        cBono r;
        r.DiaFactura(static_cast<std::uint8_t>(1 + azar(28)));
        if (azar(2)) {
            r.DarAlta(static_cast<std::int16_t>(azar(4)), Variant::DeFecha(En(1999, 12, 1)));
            r.tiempo(0, "00:" + std::to_string(10 + azar(50)) + ":00");
        }
        const std::int64_t ini = fecha::ASegundos(En(2000, 1, 1)) + azar(400LL * 86400);
        const std::int64_t fin = ini + (azar(4) ? azar(3600) : azar(3 * 86400));
        const char* tarifa = nombres[azar(4)];
        tramos.v.clear();
        con.Datos(fecha::DesdeSegundos(ini), fecha::DesdeSegundos(fin), &r, tarifa);
        sin.Datos(fecha::DesdeSegundos(ini), fecha::DesdeSegundos(fin), &r, tarifa);
        float importe = 0.0f;
        std::int64_t hasta = ini;
        for (const cTramo& t : tramos.v) {
            EXPECT_EQ(t.inicio, hasta) << tarifa << " " << ini << ".." << fin;
            hasta += t.segundos;
            importe += t.importe;
            ++vistos[static_cast<int>(t.clase)];
            conBono += t.bono;
        }
        EXPECT_EQ(hasta, fin) << tarifa << " " << ini << ".." << fin;
        EXPECT_EQ(importe, con.importe()) << tarifa << " " << ini << ".." << fin;
        EXPECT_EQ(con.importe(), sin.importe());
        EXPECT_EQ(con.Bono().TotalTiempoGrupo(0), sin.Bono().TotalTiempoGrupo(0));
    }
    // Every kind of stretch came up.
    EXPECT_GT(vistos[0] * vistos[1] * vistos[2] * conBono, 0);
}

// Between two instants bono time refills when a billing period closes between their days:
// periods close at the end of the billing day of January, March, May and so on. Checked
// against that rule on random instants up to four months apart.
TEST(SeRellenaEntre, WhenTheBillingDayOfAnOddMonthEndsBetween) {
    using namespace std::chrono;
    std::uint64_t x = 0x9E3779B97F4A7C15ULL;
    auto azar = [&x](std::uint64_t n) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        return static_cast<std::int64_t>(x % n);
    };
    for (int i = 0; i < 2000; ++i) {
        const auto dia = static_cast<std::uint8_t>(1 + azar(28));
        const std::int64_t desde = fecha::ASegundos(En(1999, 1, 1)) + azar(40LL * 365 * 86400);
        const std::int64_t hasta = desde + azar(120LL * 86400);
        bool cierra = false;
        const sys_days cero = 1899y / December / 30;  // day 0 of the engine's dates
        const sys_days ultimo = cero + days{fecha::DiaDeSegundos(hasta)};
        for (sys_days d = cero + days{fecha::DiaDeSegundos(desde)}; d < ultimo; d += days{1}) {
            const year_month_day f{d};
            cierra = cierra || (unsigned(f.day()) == dia && unsigned(f.month()) % 2 == 1);
        }
        EXPECT_EQ(
            cCosteo::SeRellenaEntre(dia, fecha::DesdeSegundos(desde), fecha::DesdeSegundos(hasta)),
            cierra)
            << "dia " << int(dia) << " desde " << desde << " hasta " << hasta;
    }
}

}  // namespace
}  // namespace quelmar
