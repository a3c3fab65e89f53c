#include "time/cTiempo.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <string>

#include "runtime/Locale.h"
#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"
#include "support/NumeroDeError.h"

namespace quelmar {
namespace {

cTiempo De(const std::string& s) {
    cTiempo t;
    t.Valor(s);
    return t;
}

TEST(cTiempoTest, ReadsTextLenientlyAndWritesSignsInsideParts) {
    struct Caso {
        const char* entrada;
        const char* texto;
        std::int32_t segundos;
    };
    const Caso casos[] = {
        {"10:00:00", "10:00:00", 36000},
        {"50:0:0", "50:00:00", 180000},
        {"1:75:90", "01:75:90", 3600 + 75 * 60 + 90},
        {"1.5:30", "02:30:00", 9000},  // halves to even: 1.5 -> 2
        {"2.5:00", "02:00:00", 7200},  // 2.5 -> 2
        {"0:0:0.5", "00:00:00", 0},    // 0.5 -> 0
        {"-1.5:0", "-02:00:00", -7200},
        {"-1:30", "-01:30:00", -1800},  // sign belongs to the hours only
        {"0:-30:0", "00:-30:00", -1800},
        {"0:0:-5", "00:00:-05", -5},
        {"0:0", "00:00:00", 0},
        {":30", "00:30:00", 1800},
        {"", "00:00:00", 0},
        {"abc", "00:00:00", 0},
        {"1:2:3:4", "01:02:03", 3723},  // after a third ":" nothing is read
        {"5", "05:05:00", 18300},       // no ":": hours and minutes read the same number
        {"123:0:0", "123:00:00", 123 * 3600},
        {" 1 2 : 3 : 4", "12:03:04", 12 * 3600 + 184},
        {"10x:20y:30z", "10:20:30", 37230},
        {"32767:59:59", "32767:59:59", 32767 * 3600 + 3599},
        {"-32768.5:0:0", "-32768:00:00", -32768 * 3600},  // -32768.5 rounds to even -32768
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.entrada);
        // Each text replaces the whole of a value already set, seconds too.
        cTiempo t = De("07:07:07");
        t.Valor(c.entrada);
        EXPECT_EQ(t.Valor(), c.texto);
        EXPECT_EQ(t.ConvSegundos(), c.segundos);
    }
}

TEST(cTiempoTest, PartOutsideSixteenBitsIsOverflowAndKeepsEarlierParts) {
    for (const char* s : {"32768:0:0", "32767.5", "-32769:0:0", "0:40000:0", "0:0:1e10",
                          "99999999999999999999999999:0"}) {
        SCOPED_TRACE(s);
        cTiempo t;
        EXPECT_EQ(NumeroDeError([&] { t.Valor(s); }), kDesbordamiento);
    }
    // Hours are stored before the minutes fail; the old minutes and seconds stay.
    cTiempo t = De("1:2:3");
    EXPECT_EQ(NumeroDeError([&] { t.Valor("7:99999:5"); }), kDesbordamiento);
    EXPECT_EQ(t.Valor(), "07:02:03");
}

TEST(cTiempoTest, SumarAndRestarWithTextsNormaliseTheResult) {
    struct Caso {
        const char* valor;
        bool sumar;
        const char* arg;
        const char* resultado;
    };
    const Caso casos[] = {
        {"1:30:45", true, "0:45:30", "02:16:15"},    {"0:30:00", false, "1:00:00", "00:-30:00"},
        {"60:00:00", false, "50:00:00", "10:00:00"}, {"1:75:90", true, "", "02:16:30"},
        {"0:0:0", false, "0:0:3661", "-01:-01:-01"}, {"-1:30", true, "0:0:0", "00:-30:00"},
        {"10:00:00", false, "0:600", "00:00:00"},    {"0:0:0", true, "0:0:-1", "00:00:-01"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(std::string(c.valor) + (c.sumar ? " + " : " - ") + c.arg);
        cTiempo t = De(c.valor);
        if (c.sumar)
            t.Sumar(c.arg);
        else
            t.Restar(c.arg);
        EXPECT_EQ(t.Valor(), c.resultado);
    }
}

TEST(cTiempoTest, ConvTiempoSplitsTowardZeroWithinSixteenBitHours) {
    struct Caso {
        std::int32_t segundos;
        const char* texto;
    };
    const Caso casos[] = {
        {3661, "01:01:01"},
        {-3661, "-01:-01:-01"},
        {59, "00:00:59"},
        {-60, "00:-01:00"},
        {32768 * 3600 - 1, "32767:59:59"},
        {-32768 * 3600, "-32768:00:00"},
        {-(32769 * 3600 - 1), "-32768:-59:-59"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.segundos);
        cTiempo t;
        t.ConvTiempo(c.segundos);
        EXPECT_EQ(t.Valor(), c.texto);
        EXPECT_EQ(t.ConvSegundos(), c.segundos);
    }
    for (std::int32_t s : {32768 * 3600, -32769 * 3600, std::numeric_limits<std::int32_t>::max(),
                           std::numeric_limits<std::int32_t>::min()}) {
        SCOPED_TRACE(s);
        cTiempo t = De("1:75:90");
        EXPECT_EQ(NumeroDeError([&] { t.ConvTiempo(s); }), kDesbordamiento);
        EXPECT_EQ(t.Valor(), "01:75:90");
    }
}

TEST(cTiempoTest, ArithmeticOverflowLeavesValueUnchanged) {
    cTiempo t = De("32767:30:00");
    EXPECT_EQ(NumeroDeError([&] { t.Sumar("0:30:00"); }), kDesbordamiento);
    EXPECT_EQ(t.Valor(), "32767:30:00");
    EXPECT_EQ(NumeroDeError([&] { t.Sumar(De("32767:0:0")); }), kDesbordamiento);
    EXPECT_EQ(t.Valor(), "32767:30:00");
    // An argument whose part overflows fails before anything is added.
    EXPECT_EQ(NumeroDeError([&] { t.Restar("40000:0:0"); }), kDesbordamiento);
    EXPECT_EQ(t.Valor(), "32767:30:00");

    cTiempo n = De("-32768:0:0");
    EXPECT_EQ(NumeroDeError([&] { n.Restar("1:0:0"); }), kDesbordamiento);
    EXPECT_EQ(n.Valor(), "-32768:00:00");
}

TEST(cTiempoTest, DateArgumentUsesItsTimeOfDayOnly) {
    LocaleScope locale(Locale::PorDefecto());
    const double hora = fecha::DesdeHora(1, 2, 3);
    const double conDia = fecha::DesdeCalendario(1999, 3, 25) + fecha::DesdeHora(10, 20, 30);
    const double medianoche = fecha::DesdeCalendario(1999, 3, 25);

    cTiempo t = De("0:0:10");
    t.Sumar(Variant::DeFecha(hora));
    EXPECT_EQ(t.Valor(), "01:02:13");
    t.Sumar(Variant::DeFecha(conDia));  // 25/03/1999 is not read as 25 hours
    EXPECT_EQ(t.Valor(), "11:22:43");
    t.Sumar(Variant::DeFecha(medianoche));
    EXPECT_EQ(t.Valor(), "11:22:43");
    t.Restar(Variant::DeFecha(conDia));
    t.Restar(Variant::DeFecha(hora));
    EXPECT_EQ(t.Valor(), "00:00:10");

    // A text variant is a time text, never a date.
    t.Sumar(Variant("1:00:00"));
    EXPECT_EQ(t.Valor(), "01:00:10");
}

TEST(cTiempoTest, ArgumentThatIsNeitherTextNorDateIsRejected) {
    cTiempo t = De("1:00:00");
    EXPECT_EQ(NumeroDeError([&] { t.Sumar(Variant(2.5)); }), kTiposNoCoinciden);
    EXPECT_EQ(NumeroDeError([&] { t.Restar(Variant(std::int16_t{3})); }), kTiposNoCoinciden);
    EXPECT_EQ(NumeroDeError([&] { t.Sumar(Variant()); }), kTiposNoCoinciden);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(NumeroDeError([&] { t.Restar(Variant::DeFecha(nan)); }), kDesbordamiento);
    EXPECT_EQ(NumeroDeError([&] { t.Sumar(Variant::DeFecha(1e12)); }), kDesbordamiento);
    EXPECT_EQ(t.Valor(), "01:00:00");
}

TEST(cTiempoTest, TimeObjectArgumentIncludingItself) {
    cTiempo t = De("1:75:90");
    t.Sumar(De("0:0:-30"));
    EXPECT_EQ(t.Valor(), "02:16:00");
    t.Sumar(t);
    EXPECT_EQ(t.Valor(), "04:32:00");
    t.Restar(De("0:0:-60"));
    EXPECT_EQ(t.Valor(), "04:33:00");
    t.Restar(t);
    EXPECT_EQ(t.Valor(), "00:00:00");
}

TEST(cTiempoTest, ComparisonsAndEmptinessUseTheTotalOnly) {
    struct Caso {
        const char* valor;
        const char* otro;
        bool mayor, menor, igual;
    };
    const Caso casos[] = {
        {"10:00:01", "10:00:00", true, false, false}, {"10:00:00", "0:600", false, false, true},
        {"1:75:90", "2:16:30", false, false, true},   {"0:0:-1", "", false, true, false},
        {"-1:0:0", "0:-59:-59", false, true, false},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(std::string(c.valor) + " vs " + c.otro);
        const cTiempo t = De(c.valor);
        EXPECT_EQ(t.EsMayor(c.otro), c.mayor);
        EXPECT_EQ(t.EsMenor(c.otro), c.menor);
        EXPECT_EQ(t.EsIgual(c.otro), c.igual);
    }
    EXPECT_TRUE(cTiempo().EstaVacio());
    EXPECT_TRUE(De("1:-60:0").EstaVacio());
    EXPECT_FALSE(De("0:0:-1").EstaVacio());

    cTiempo t = De("3:4:5");
    t.Iniciar();
    EXPECT_EQ(t.Valor(), "00:00:00");

    const cTiempo c = De("0:0:0");
    EXPECT_EQ(NumeroDeError([&] { (void)c.EsMayor("99999:0:0"); }), kDesbordamiento);
}

}  // namespace
}  // namespace quelmar
