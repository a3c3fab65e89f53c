#include "periods/cPeriodo.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

#include "runtime/Locale.h"
#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"
#include "support/NumeroDeError.h"

namespace quelmar {
namespace {

using Textos = std::vector<std::string>;

double F(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
    return fecha::DesdeCalendario(y, m, d) + fecha::DesdeHora(h, mi, s);
}

// Every text up to and including the empty one; a cap turns an endless enumeration
// into a failure instead of a hang.
Textos Todos(cPeriodo& p) {
    Textos out;
    for (int i = 0; i < 200; ++i) {
        out.push_back(p.Periodo());
        if (out.back().empty()) return out;
    }
    ADD_FAILURE() << "enumeration did not end";
    return out;
}

cPeriodo Preparado(std::uint8_t dia, std::uint8_t per, double ini, double fin) {
    cPeriodo p;
    p.Datos(dia, per);
    p.Periodos(ini, fin);
    return p;
}

class cPeriodoTest : public ::testing::Test {
  protected:
    LocaleScope m_Locale{Locale::PorDefecto()};
};

TEST_F(cPeriodoTest, EnumeratesEveryClassWithBillingDays15_30_31) {
    struct Caso {
        const char* nombre;
        std::uint8_t dia, per;
        double ini, fin;
        Textos esperado;  // the empty text that ends it is implied
    };
    // clang-format off
    const Caso casos[] = {
        {"15 odd months", 15, 2, F(1999, 3, 10, 10), F(1999, 8, 1, 12),
         {"10/03/1999 10:00:00 - 15/03/1999 23:59:59", "16/03/1999 - 15/05/1999 23:59:59",
          "16/05/1999 - 15/07/1999 23:59:59", "16/07/1999 - 01/08/1999 12:00:00"}},
        {"15 odd months, start past the day", 15, 2, F(1999, 3, 20, 10), F(1999, 8, 1, 12),
         {"20/03/1999 10:00:00 - 15/05/1999 23:59:59", "16/05/1999 - 15/07/1999 23:59:59",
          "16/07/1999 - 01/08/1999 12:00:00"}},
        {"15 even months", 15, 1, F(1999, 3, 10, 10), F(1999, 8, 1, 12),
         {"10/03/1999 10:00:00 - 15/04/1999 23:59:59", "16/04/1999 - 15/06/1999 23:59:59",
          "16/06/1999 - 01/08/1999 12:00:00"}},
        {"15 monthly", 15, 0, F(1999, 3, 10), F(1999, 5, 1),
         {"10/03/1999 - 15/03/1999 23:59:59", "16/03/1999 - 15/04/1999 23:59:59",
          "16/04/1999 - 01/05/1999"}},
        {"30 even months, clamp to February carries on", 30, 1, F(1999, 11, 1), F(2000, 9, 1),
         {"01/11/1999 - 30/12/1999 23:59:59", "31/12/1999 - 28/02/2000 23:59:59",
          "29/02/2000 - 28/04/2000 23:59:59", "29/04/2000 - 28/06/2000 23:59:59",
          "29/06/2000 - 28/08/2000 23:59:59", "29/08/2000 - 01/09/2000"}},
        {"30 even months, 2100 is no leap year", 30, 1, F(2099, 11, 1), F(2100, 5, 1),
         {"01/11/2099 - 30/12/2099 23:59:59", "31/12/2099 - 27/02/2100 23:59:59",
          "28/02/2100 - 27/04/2100 23:59:59", "28/04/2100 - 01/05/2100"}},
        {"30 odd months, start past the day", 30, 2, F(2003, 12, 31), F(2004, 6, 1),
         {"31/12/2003 - 30/01/2004 23:59:59", "31/01/2004 - 30/03/2004 23:59:59",
          "31/03/2004 - 30/05/2004 23:59:59", "31/05/2004 - 01/06/2004"}},
        {"30 monthly, 30 February runs over", 30, 0, F(2001, 1, 31), F(2001, 5, 15),
         {"31/01/2001 - 02/03/2001 23:59:59", "03/03/2001 - 02/04/2001 23:59:59",
          "03/04/2001 - 02/05/2001 23:59:59", "03/05/2001 - 15/05/2001"}},
        {"31 even months, 31 April runs over", 31, 1, F(1999, 3, 20), F(1999, 8, 1),
         {"20/03/1999 - 01/05/1999 23:59:59", "02/05/1999 - 01/07/1999 23:59:59",
          "02/07/1999 - 01/08/1999"}},
        {"31 odd months, last step lands on the range end", 31, 2, F(1999, 6, 5), F(1999, 12, 1),
         {"05/06/1999 - 31/07/1999 23:59:59", "01/08/1999 - 30/09/1999 23:59:59",
          "01/10/1999 - 01/12/1999"}},
        {"31 monthly", 31, 0, F(2001, 1, 15), F(2001, 6, 10),
         {"15/01/2001 - 31/01/2001 23:59:59", "01/02/2001 - 28/02/2001 23:59:59",
          "01/03/2001 - 31/03/2001 23:59:59", "01/04/2001 - 30/04/2001 23:59:59",
          "01/05/2001 - 31/05/2001 23:59:59", "01/06/2001 - 10/06/2001"}},
        {"day 0 is the last day of the month before", 0, 0, F(1999, 3, 10), F(1999, 6, 1),
         {"10/03/1999 - 31/03/1999 23:59:59", "01/04/1999 - 30/04/1999 23:59:59",
          "01/05/1999 - 01/06/1999"}},
        {"range ending before the first closing day", 15, 2, F(1999, 3, 10, 10), F(1999, 3, 12, 8),
         {"10/03/1999 10:00:00 - 12/03/1999 08:00:00"}},
        {"range of one instant", 15, 2, F(1999, 3, 10, 10), F(1999, 3, 10, 10),
         {"10/03/1999 10:00:00 - 10/03/1999 10:00:00"}},
        {"range ending before it starts", 15, 2, F(1999, 3, 11, 10), F(1999, 3, 1),
         {"11/03/1999 10:00:00 - 01/03/1999"}},
        {"dates before 1899-12-30 compare by time, not by raw value", 28, 0,
         fecha::DesdeSegundos(-2 * 86400 + 6 * 3600), fecha::DesdeSegundos(-86400 + 18 * 3600),
         {"28/12/1899 06:00:00 - 28/12/1899 23:59:59", "29/12/1899 - 29/12/1899 18:00:00"}},
    };
    // clang-format on
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        cPeriodo p = Preparado(c.dia, c.per, c.ini, c.fin);
        Textos esperado = c.esperado;
        esperado.push_back("");
        EXPECT_EQ(Todos(p), esperado);
        EXPECT_EQ(p.Periodo(), "");  // once over, it stays over
    }
}

// The range ends the day before a midnight start, so the first period puts the cursor
// back on the range start; it must not come again.
TEST_F(cPeriodoTest, RangeEndingTheDayBeforeAMidnightStartEnds) {
    for (std::uint8_t per : {std::uint8_t{0}, std::uint8_t{1}, std::uint8_t{2}}) {
        for (int dia : {1, 10, 15, 31}) {
            SCOPED_TRACE(std::to_string(per) + "/" + std::to_string(dia));
            cPeriodo p = Preparado(static_cast<std::uint8_t>(dia), per, F(1999, 3, 11),
                                   F(1999, 3, 10, 23, 59, 55));
            const Textos una{"11/03/1999 - 10/03/1999 23:59:55", ""};
            // ASSERT: PeriodoActual below would not return on a regression.
            ASSERT_EQ(Todos(p), una);
            p.Reset();
            ASSERT_EQ(Todos(p), una);
            p.Reset();
            EXPECT_EQ(p.PeriodoActual(), "11/03/1999 - 10/03/1999 23:59:55");
        }
    }
}

TEST_F(cPeriodoTest, YearFilterGivesOtroBeforeAndEndsAfter) {
    cPeriodo p = Preparado(15, 2, F(1998, 11, 20), F(2000, 2, 1));
    p.Filtro(1999);
    const Textos esperado{"Otro",
                          "16/01/1999 - 15/03/1999 23:59:59",
                          "16/03/1999 - 15/05/1999 23:59:59",
                          "16/05/1999 - 15/07/1999 23:59:59",
                          "16/07/1999 - 15/09/1999 23:59:59",
                          "16/09/1999 - 15/11/1999 23:59:59",
                          "16/11/1999 - 15/01/2000 23:59:59",
                          ""};
    EXPECT_EQ(Todos(p), esperado);
    EXPECT_EQ(p.Periodo(), "");

    // Later periods before the filter year are "Otro" too; the last one is a text.
    p.Filtro(2000);
    p.Reset();
    const Textos hasta2000{
        "Otro", "Otro", "Otro", "Otro", "Otro", "Otro", "Otro", "16/01/2000 - 01/02/2000", ""};
    EXPECT_EQ(Todos(p), hasta2000);

    // A range starting after the filter year gives nothing at all.
    p.Filtro(1997);
    p.Reset();
    EXPECT_EQ(Todos(p), Textos{""});
    EXPECT_EQ(p.PeriodoActual(), "");
}

TEST_F(cPeriodoTest, ResetRepeatsAndPeriodoActualGivesTheLastPeriod) {
    cPeriodo p = Preparado(15, 2, F(1999, 3, 10, 10), F(1999, 8, 1, 12));
    const Textos primera = Todos(p);
    p.Reset();
    EXPECT_EQ(Todos(p), primera);
    p.Reset();
    EXPECT_EQ(p.PeriodoActual(), "16/07/1999 - 01/08/1999 12:00:00");
    EXPECT_EQ(p.PeriodoActual(), "");  // does not restart

    // From the middle it still reads to the end; "Otro" can be the last text.
    p.Reset();
    EXPECT_EQ(p.Periodo(), "10/03/1999 10:00:00 - 15/03/1999 23:59:59");
    EXPECT_EQ(p.PeriodoActual(), "16/07/1999 - 01/08/1999 12:00:00");
    p.Filtro(2000);
    p.Reset();
    EXPECT_EQ(p.PeriodoActual(), "Otro");

    // A new range restarts the enumeration without Reset.
    p.Filtro(9999);
    p.Periodos(F(2000, 1, 1), F(2000, 1, 2));
    EXPECT_EQ(Todos(p), (Textos{"01/01/2000 - 02/01/2000", ""}));
}

TEST_F(cPeriodoTest, NeedsTwoSetUpCallsOfAnyKind) {
    cPeriodo nuevo;
    EXPECT_EQ(nuevo.Periodo(), "");
    EXPECT_EQ(nuevo.PeriodoActual(), "");

    cPeriodo soloRango;
    soloRango.Periodos(F(1999, 3, 10), F(1999, 3, 12));
    EXPECT_EQ(soloRango.Periodo(), "");

    cPeriodo alReves;  // range first, then settings
    alReves.Periodos(F(1999, 3, 10), F(1999, 3, 12));
    alReves.Datos(15, 0);
    EXPECT_EQ(alReves.Periodo(), "10/03/1999 - 12/03/1999");

    // Two Datos calls count too; the range is then day 0 to day 0.
    cPeriodo dosDatos;
    dosDatos.Datos(15, 0);
    dosDatos.Datos(15, 0);
    EXPECT_EQ(Todos(dosDatos), (Textos{"00:00:00 - 00:00:00", ""}));
}

TEST_F(cPeriodoTest, FechaIniAndFechaFinReadBackEveryInstantWritten) {
    const Locale otros[] = {Locale::PorDefecto(), Locale{Locale::Orden::MesDiaAnio, '.', '.'},
                            Locale{Locale::Orden::AnioMesDia, '-', ','}};
    for (const Locale& l : otros) {
        LocaleScope scope(l);
        cPeriodo p = Preparado(15, 2, F(1999, 3, 10, 10, 20, 30), F(1999, 8, 1, 12));
        const Textos textos = Todos(p);
        ASSERT_EQ(textos.size(), 5u);
        SCOPED_TRACE(textos[0]);
        const double ini[] = {F(1999, 3, 10, 10, 20, 30), F(1999, 3, 16), F(1999, 5, 16),
                              F(1999, 7, 16)};
        const double fin[] = {F(1999, 3, 15, 23, 59, 59), F(1999, 5, 15, 23, 59, 59),
                              F(1999, 7, 15, 23, 59, 59), F(1999, 8, 1, 12)};
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(fecha::ASegundos(cPeriodo::FechaIni(textos[i])), fecha::ASegundos(ini[i]));
            EXPECT_EQ(fecha::ASegundos(cPeriodo::FechaFin(textos[i])), fecha::ASegundos(fin[i]));
        }
    }
    // A time on day 0 is written and read as the time alone.
    EXPECT_EQ(cPeriodo::FechaFin("00:00:00 - 10:30:00"), fecha::DesdeHora(10, 30, 0));
}

TEST_F(cPeriodoTest, PeriodoFechasGivesTheInstantsOfTheTexts) {
    // Filtered and unfiltered, monthly and two-monthly, from an instant with seconds.
    for (const int per : {0, 2}) {
        for (const std::int16_t filtro : {std::int16_t{9999}, std::int16_t{1999}}) {
            cPeriodo textos = Preparado(30, static_cast<std::uint8_t>(per),
                                        F(1998, 11, 20, 10, 20, 30), F(2000, 9, 1, 12));
            cPeriodo fechas = Preparado(30, static_cast<std::uint8_t>(per),
                                        F(1998, 11, 20, 10, 20, 30), F(2000, 9, 1, 12));
            textos.Filtro(filtro);
            fechas.Filtro(filtro);
            int n = 0;
            for (std::string t = textos.Periodo(); !t.empty(); t = textos.Periodo(), ++n) {
                const auto p = fechas.PeriodoFechas();
                ASSERT_TRUE(p.has_value()) << t;
                EXPECT_EQ(p->otro, t == "Otro");
                if (t == "Otro") continue;
                EXPECT_EQ(p->ini, cPeriodo::FechaIni(t)) << t;
                EXPECT_EQ(p->fin, cPeriodo::FechaFin(t)) << t;
            }
            EXPECT_FALSE(fechas.PeriodoFechas().has_value());
            EXPECT_GT(n, 5);
        }
    }
}

TEST_F(cPeriodoTest, FechaIniAndFechaFinRejectTextsThatAreNoPeriod) {
    struct Caso {
        const char* texto;
        int ini, fin;
    };
    const Caso casos[] = {
        {"Otro", kArgumentoInvalido, kTiposNoCoinciden},
        {"", kArgumentoInvalido, kTiposNoCoinciden},
        {"xx - 01/01/2000", kTiposNoCoinciden, 0},
        {"01/01/2000 - 31/02/2000", 0, kTiposNoCoinciden},
        {"01/01/2000 - 01/01/2000 25:00:00", 0, kTiposNoCoinciden},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.texto);
        EXPECT_EQ(NumeroDeError([&] { (void)cPeriodo::FechaIni(c.texto); }), c.ini);
        EXPECT_EQ(NumeroDeError([&] { (void)cPeriodo::FechaFin(c.texto); }), c.fin);
    }
}

TEST_F(cPeriodoTest, DatesBeyondTheYear9999AreOverflow) {
    cPeriodo primero = Preparado(31, 2, F(9999, 12, 10), F(9999, 12, 20));
    EXPECT_EQ(NumeroDeError([&] { (void)primero.Periodo(); }), kDesbordamiento);

    cPeriodo despues = Preparado(15, 0, F(9999, 10, 1), F(9999, 12, 31));
    EXPECT_EQ(despues.Periodo(), "01/10/9999 - 15/10/9999 23:59:59");
    EXPECT_EQ(despues.Periodo(), "16/10/9999 - 15/11/9999 23:59:59");
    EXPECT_EQ(despues.Periodo(), "16/11/9999 - 15/12/9999 23:59:59");
    EXPECT_EQ(NumeroDeError([&] { (void)despues.Periodo(); }), kDesbordamiento);
}

TEST_F(cPeriodoTest, RangeThatIsNoDateIsRejectedWithoutChange) {
    cPeriodo p = Preparado(15, 2, F(1999, 3, 10, 10), F(1999, 8, 1, 12));
    EXPECT_EQ(p.Periodo(), "10/03/1999 10:00:00 - 15/03/1999 23:59:59");
    const double malos[] = {std::numeric_limits<double>::quiet_NaN(),
                            std::numeric_limits<double>::infinity(), 1e10, -1e7};
    for (double m : malos) {
        EXPECT_EQ(NumeroDeError([&] { p.Periodos(m, F(2000, 1, 1)); }), kDesbordamiento);
        EXPECT_EQ(NumeroDeError([&] { p.Periodos(F(2000, 1, 1), m); }), kDesbordamiento);
    }
    EXPECT_EQ(p.Periodo(), "16/03/1999 - 15/05/1999 23:59:59");
}

TEST_F(cPeriodoTest, SetUpCounterOverflowsAtIts32768thCall) {
    cPeriodo p;
    for (int i = 0; i < 32767; ++i) p.Datos(15, 0);
    EXPECT_EQ(NumeroDeError([&] { p.Datos(15, 0); }), kDesbordamiento);
    EXPECT_EQ(NumeroDeError([&] { p.Periodos(F(1999, 1, 1), F(1999, 1, 2)); }), kDesbordamiento);
}

}  // namespace
}  // namespace quelmar
