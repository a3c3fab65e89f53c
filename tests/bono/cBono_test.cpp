#include "bono/cBono.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "runtime/Locale.h"
#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"
#include "support/NumeroDeError.h"

namespace quelmar {
namespace {

using std::int16_t;

double F(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
    return fecha::DesdeCalendario(y, m, d) + fecha::DesdeHora(h, mi, s);
}
Variant D(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
    return Variant::DeFecha(F(y, m, d, h, mi, s));
}

const std::string kNul(8, '\0');

// Kinds registered in order, each at the given remaining time ("" keeps it full).
using Bonos = std::vector<std::pair<int16_t, const char*>>;
void Llenar(cBono& b, const Bonos& bonos) {
    for (const auto& [tipo, tiempo] : bonos) {
        b.DarAlta(tipo);
        if (*tiempo) b.tiempo(static_cast<int16_t>(b.Count() - 1), tiempo);
    }
}
std::vector<std::string> TiemposDe(const cBono& b) {
    std::vector<std::string> out;
    for (int16_t i = 0; i < b.Count(); ++i) out.push_back(b.tiempo(i));
    return out;
}

// A registry on a pinned clock; the locale is pinned so dates read as day/month/year.
class cBonoTest : public ::testing::Test {
  protected:
    LocaleScope m_Locale{Locale::PorDefecto()};
    double m_Ahora = F(2000, 5, 10, 12);
    cBono m_Bono{[this] { return m_Ahora; }};

    void Registrar(const Bonos& bonos) { Llenar(m_Bono, bonos); }
    std::vector<std::string> Tiempos() const { return TiemposDe(m_Bono); }
    std::vector<std::string> Nombres() const {
        std::vector<std::string> out;
        for (int16_t i = 0; i < m_Bono.Count(); ++i) out.push_back(m_Bono.Nombre(i));
        return out;
    }
};

// ---- Registry (bono records, settings, counting) ----

TEST_F(cBonoTest, NewRegistryHasOnlyABlankSpareSlot) {
    EXPECT_EQ(m_Bono.Count(), 0);
    EXPECT_EQ(m_Bono.CountGrupo(0), 0);
    EXPECT_EQ(m_Bono.CountTipo(0), 0);
    EXPECT_EQ(m_Bono.DiaFactura(), 1);
    EXPECT_EQ(m_Bono.perFactura(), 1);
    EXPECT_EQ(m_Bono.Nombre(0), kNul);
    EXPECT_EQ(m_Bono.Tipo(0), 0);
    EXPECT_EQ(m_Bono.Grupo(0), 0);
    EXPECT_EQ(m_Bono.tiempo(0), "00:00:00");
    EXPECT_EQ(m_Bono.Alta(0), 0.0);
    EXPECT_EQ(m_Bono.Baja(0), Variant(""));
    EXPECT_EQ(m_Bono.BajaPer(0), Variant(""));
    for (int16_t i : {int16_t{-1}, int16_t{1}, int16_t{32767}, int16_t{-32768}}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(NumeroDeError([&] { (void)m_Bono.Nombre(i); }), kFueraDeRango);
        EXPECT_EQ(NumeroDeError([&] { m_Bono.tiempo(i, "1:0:0"); }), kFueraDeRango);
        EXPECT_EQ(NumeroDeError([&] { m_Bono.Baja(i, D(2000, 1, 1)); }), kFueraDeRango);
        EXPECT_EQ(NumeroDeError([&] { m_Bono.Alta(i, 1.0); }), kFueraDeRango);
        EXPECT_EQ(NumeroDeError([&] { (void)m_Bono.Tipo(i); }), kFueraDeRango);
    }
}

TEST_F(cBonoTest, DarAltaFillsTheRecordFromTheKind) {
    struct Caso {
        int16_t tipo;
        const char* nombre;
        const char* tiempo;
        int16_t grupo;
        int16_t tipoLeido;
    };
    const Caso casos[] = {
        {0, "10DIA   ", "10:00:00", 0, 0},   {1, "50DIA   ", "50:00:00", 0, 1},
        {2, "10NOCHE ", "10:00:00", 1, 2},   {3, "50NOCHE ", "50:00:00", 1, 3},
        {7, kNul.c_str(), "00:00:00", 0, 0}, {-1, kNul.c_str(), "00:00:00", 0, 0},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.tipo);
        cBono b([this] { return m_Ahora; });
        b.DarAlta(c.tipo);
        ASSERT_EQ(b.Count(), 1);
        EXPECT_EQ(b.Nombre(0), std::string(c.nombre, 8));
        EXPECT_EQ(b.tiempo(0), c.tiempo);
        EXPECT_EQ(b.Grupo(0), c.grupo);
        EXPECT_EQ(b.Tipo(0), c.tipoLeido);
        EXPECT_EQ(b.CountGrupo(c.grupo), 1);
        EXPECT_EQ(b.CountTipo(c.tipoLeido), 1);
        EXPECT_EQ(b.Alta(0), m_Ahora);
        EXPECT_EQ(b.Baja(0), Variant(""));
        EXPECT_EQ(b.BajaPer(0), Variant(""));
        EXPECT_EQ(b.Nombre(1), kNul);  // the new spare is blank
    }
    // Counting ignores argument values that are no code.
    EXPECT_EQ(m_Bono.CountGrupo(5), 0);
    EXPECT_EQ(m_Bono.CountTipo(-1), 0);
}

TEST_F(cBonoTest, DarAltaConvertsItsDateOrFailsBeforeTheRegistryGrows) {
    m_Bono.DarAlta(0, D(2000, 4, 10, 10));
    m_Bono.DarAlta(1, Variant("10/04/2000 10:00:00"));
    m_Bono.DarAlta(2, Variant(36626.5));  // a number is a count of days
    EXPECT_EQ(m_Bono.Alta(0), F(2000, 4, 10, 10));
    EXPECT_EQ(m_Bono.Alta(1), F(2000, 4, 10, 10));
    EXPECT_EQ(m_Bono.Alta(2), 36626.5);

    m_Bono.Nombre(3, "50NOCHE");  // written into the spare slot
    const Variant malos[] = {Variant("no date"), Variant("31/02/2000"), Variant(1e10),
                             Variant::DeFecha(std::numeric_limits<double>::quiet_NaN())};
    const int errores[] = {kTiposNoCoinciden, kTiposNoCoinciden, kDesbordamiento, kDesbordamiento};
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(NumeroDeError([&] { m_Bono.DarAlta(0, malos[k]); }), errores[k]);
        EXPECT_EQ(m_Bono.Count(), 3);
        EXPECT_EQ(m_Bono.Nombre(3), "50NOCHE ");
    }
    // A kind code outside 0..3 keeps the name written into the spare slot.
    m_Bono.DarAlta(9);
    EXPECT_EQ(m_Bono.Nombre(3), "50NOCHE ");
    EXPECT_EQ(m_Bono.tiempo(3), "50:00:00");
    EXPECT_EQ(m_Bono.Tipo(3), 3);
    // Other spare-slot writes are overwritten; no count or total sees them meanwhile.
    m_Bono.Nombre(4, "10NOCHE");
    m_Bono.tiempo(4, "5:0:0");
    m_Bono.Baja(4, D(2000, 1, 1));
    EXPECT_EQ(m_Bono.CountGrupo(1), 2);
    EXPECT_EQ(m_Bono.TotalTiempoGrupo(1), "60:00:00");
    m_Bono.DarAlta(0, D(2001, 1, 1));
    EXPECT_EQ(m_Bono.Nombre(4), "10DIA   ");
    EXPECT_EQ(m_Bono.tiempo(4), "10:00:00");
    EXPECT_EQ(m_Bono.Baja(4), Variant(""));
}

TEST_F(cBonoTest, DarAltaBeyond32767BonosIsOverflow) {
    for (int i = 0; i < 32767; ++i) m_Bono.DarAlta(2, D(2000, 1, 1));
    EXPECT_EQ(m_Bono.Count(), 32767);
    EXPECT_EQ(NumeroDeError([&] { m_Bono.DarAlta(2, D(2000, 1, 1)); }), kDesbordamiento);
    EXPECT_EQ(m_Bono.Count(), 32767);
    EXPECT_EQ(m_Bono.CountTipo(2), 32767);
}

TEST_F(cBonoTest, NombreIsEightCharactersAndDrivesKindAndCapacity) {
    m_Bono.DarAlta(0);
    EXPECT_EQ(m_Bono.Nombre(0), "10DIA   ");
    struct Caso {
        const char* nombre;
        const char* leido;
        int16_t tipo, grupo;
        const char* capacidad;
    };
    const Caso casos[] = {
        {" 50DIA", " 50DIA  ", 1, 0, "00:00:00"},  // classified stripped, capacity from " 5"
        {"50NOCHE", "50NOCHE ", 3, 1, "50:00:00"},
        {"10NOCHEXYZ", "10NOCHEX", 0, 0, "10:00:00"},  // cut to 8: no kind, capacity from "10"
        {"10noche", "10noche ", 0, 0, "10:00:00"},     // case-sensitive
        {"", "        ", 0, 0, "00:00:00"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        m_Bono.tiempo(0, "1:0:0");
        m_Bono.Nombre(0, c.nombre);
        EXPECT_EQ(m_Bono.Nombre(0), c.leido);
        EXPECT_EQ(m_Bono.Tipo(0), c.tipo);
        EXPECT_EQ(m_Bono.Grupo(0), c.grupo);
        EXPECT_EQ(m_Bono.tiempo(0), "01:00:00");  // the time is not touched
        m_Bono.Reset();
        EXPECT_EQ(m_Bono.tiempo(0), c.capacidad);
    }
}

TEST_F(cBonoTest, RemovingMovesLaterBonosDownWithTheirOwnTimes) {
    Registrar({{0, "1:00:00"}, {1, "2:00:00"}, {2, "3:00:00"}, {3, "4:00:00"}});
    m_Bono.Limpiar(Variant(std::int16_t{1}));
    EXPECT_EQ(m_Bono.Count(), 3);
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"10DIA   ", "10NOCHE ", "50NOCHE "}));
    EXPECT_EQ(Tiempos(), (std::vector<std::string>{"01:00:00", "03:00:00", "04:00:00"}));
    EXPECT_EQ(m_Bono.Nombre(3), kNul);  // the freed slot is the blank spare
    m_Bono.DarAlta(1);
    EXPECT_EQ(Tiempos(),
              (std::vector<std::string>{"01:00:00", "03:00:00", "04:00:00", "50:00:00"}));
    m_Bono.tiempo(1, "9:0:0");  // moved records share no time value
    EXPECT_EQ(Tiempos(),
              (std::vector<std::string>{"01:00:00", "09:00:00", "04:00:00", "50:00:00"}));

    // Index conversions: beyond the end removes the last; halves to even; a numeric text.
    m_Bono.Limpiar(Variant(99));
    EXPECT_EQ(Tiempos(), (std::vector<std::string>{"01:00:00", "09:00:00", "04:00:00"}));
    m_Bono.Limpiar(Variant(0.5));  // rounds to 0
    EXPECT_EQ(Tiempos(), (std::vector<std::string>{"09:00:00", "04:00:00"}));
    m_Bono.Limpiar(Variant("1"));
    EXPECT_EQ(Tiempos(), (std::vector<std::string>{"09:00:00"}));
}

TEST_F(cBonoTest, LimpiarWithABadIndexChangesNothing) {
    Registrar({{0, ""}, {1, ""}});
    const std::pair<Variant, int> casos[] = {
        {Variant("uno"), kTiposNoCoinciden}, {Variant(40000), kDesbordamiento},
        {Variant(-1), kFueraDeRango},        {Variant(true), kFueraDeRango},  // true is -1
        {Variant(-0.6), kFueraDeRango},
    };
    for (const auto& [indice, error] : casos) {
        EXPECT_EQ(NumeroDeError([&] { m_Bono.Limpiar(indice); }), error);
        EXPECT_EQ(m_Bono.Count(), 2);
    }
    cBono vacio([this] { return m_Ahora; });
    EXPECT_EQ(NumeroDeError([&] { vacio.Limpiar(Variant(0)); }), kFueraDeRango);
    EXPECT_EQ(vacio.Count(), 0);
    vacio.Limpiar();  // nothing expired, nothing to do
    EXPECT_EQ(vacio.Count(), 0);
}

TEST_F(cBonoTest, LimpiarWithoutIndexRemovesExactlyTheExpiredBonos) {
    m_Bono.DiaFactura(15);
    Registrar({{0, "1:0:0"}, {1, "2:0:0"}, {2, "3:0:0"}, {3, "4:0:0"}});
    m_Bono.Baja(0, D(2000, 4, 10));  // expires 15/04/2000 00:00
    m_Bono.Baja(2, D(2000, 4, 20));  // 01/05 -> May is odd -> 15/06/2000
    m_Bono.Baja(3, D(2000, 4, 9));   // 15/04/2000

    m_Ahora = F(2000, 4, 15);  // not after the expiry instant: kept
    m_Bono.Limpiar();
    EXPECT_EQ(m_Bono.Count(), 4);

    m_Ahora = F(2000, 4, 15, 0, 0, 1);
    m_Bono.Limpiar();
    EXPECT_EQ(Tiempos(), (std::vector<std::string>{"02:00:00", "03:00:00"}));

    m_Ahora = F(2030, 1, 1);  // only the bono without an end date stays
    m_Bono.Limpiar();
    EXPECT_EQ(Tiempos(), (std::vector<std::string>{"02:00:00"}));

    m_Bono.Baja(0, D(2000, 1, 1));
    m_Bono.Limpiar();
    EXPECT_EQ(m_Bono.Count(), 0);
}

TEST_F(cBonoTest, BillingRuleDerivesTheExpiryDate) {
    struct Caso {
        std::uint8_t dia;
        std::uint8_t per;  // value given to perFactura
        Variant baja;
        double expira;
    };
    const Caso casos[] = {
        {15, 1, D(2000, 4, 10), F(2000, 4, 15)},
        {15, 1, D(2000, 4, 20), F(2000, 6, 15)},
        {15, 1, D(2000, 4, 15, 23), F(2000, 4, 15)},  // stops counting at the start of its day
        {15, 2, D(1999, 12, 20), F(2000, 1, 15)},
        {15, 2, D(2000, 4, 10), F(2000, 5, 15)},
        {1, 1, D(2000, 3, 2), F(2000, 4, 1)},
        {31, 1, D(2000, 4, 10), F(2000, 5, 1)},   // 31 April runs over
        {31, 1, D(2000, 3, 10), F(2000, 5, 1)},   // March odd -> April -> 1 May
        {0, 1, D(2000, 4, 10), F(2000, 5, 31)},   // day 0 of June
        {15, 7, D(2000, 4, 10), F(2000, 4, 15)},  // any value but 2 is even months
        {15, 1, Variant("20/04/2000"), F(2000, 6, 15)},
    };
    m_Bono.DarAlta(0);
    for (const Caso& c : casos) {
        SCOPED_TRACE(CStr(c.baja) + " day " + std::to_string(c.dia));
        m_Bono.DiaFactura(c.dia);
        m_Bono.perFactura(c.per);
        m_Bono.Baja(0, c.baja);
        EXPECT_EQ(m_Bono.Baja(0), c.baja);  // stored as given
        EXPECT_EQ(m_Bono.BajaPer(0), Variant::DeFecha(c.expira));
    }
}

TEST_F(cBonoTest, BajaIgnoresNonDatesAndFailsWithoutChange) {
    m_Bono.DiaFactura(15);
    m_Bono.DarAlta(0);
    m_Bono.Baja(0, D(2000, 4, 10));
    for (const Variant& v : {Variant(""), Variant(std::int16_t{5}), Variant(5.0), Variant("abc"),
                             Variant(), Variant(std::int16_t{-1})}) {
        m_Bono.Baja(0, v);
        EXPECT_EQ(m_Bono.Baja(0), D(2000, 4, 10));
        EXPECT_EQ(m_Bono.BajaPer(0), D(2000, 4, 15));
    }
    // An expiry past the year 9999, or a date that is no date: error 6, nothing stored.
    EXPECT_EQ(NumeroDeError([&] { m_Bono.Baja(0, D(9999, 12, 20)); }), kDesbordamiento);
    EXPECT_EQ(NumeroDeError([&] {
                  m_Bono.Baja(0, Variant::DeFecha(std::numeric_limits<double>::infinity()));
              }),
              kDesbordamiento);
    EXPECT_EQ(m_Bono.Baja(0), D(2000, 4, 10));
    EXPECT_EQ(m_Bono.BajaPer(0), D(2000, 4, 15));
    EXPECT_EQ(NumeroDeError([&] { m_Bono.Alta(0, std::numeric_limits<double>::quiet_NaN()); }),
              kDesbordamiento);
    EXPECT_EQ(m_Bono.Alta(0), m_Ahora);
}

TEST_F(cBonoTest, ChangingSettingsRederivesEveryExpiry) {
    Registrar({{0, ""}, {1, ""}, {2, ""}});
    m_Bono.Baja(0, D(2000, 4, 10));
    m_Bono.Baja(2, Variant("20/04/2000"));
    m_Bono.DiaFactura(15);
    EXPECT_EQ(m_Bono.BajaPer(0), D(2000, 4, 15));
    EXPECT_EQ(m_Bono.BajaPer(1), Variant(""));
    EXPECT_EQ(m_Bono.BajaPer(2), D(2000, 6, 15));
    m_Bono.perFactura(2);
    EXPECT_EQ(m_Bono.perFactura(), 2);
    EXPECT_EQ(m_Bono.BajaPer(0), D(2000, 5, 15));
    EXPECT_EQ(m_Bono.BajaPer(2), D(2000, 5, 15));
    m_Bono.perFactura(7);
    EXPECT_EQ(m_Bono.perFactura(), 1);
    m_Bono.DiaFactura(31);
    EXPECT_EQ(m_Bono.DiaFactura(), 31);
    EXPECT_EQ(m_Bono.BajaPer(0), D(2000, 5, 1));
    EXPECT_EQ(m_Bono.BajaPer(2), D(2000, 5, 1));
    EXPECT_EQ(m_Bono.BajaPer(1), Variant(""));
    EXPECT_EQ(m_Bono.Baja(2), Variant("20/04/2000"));
}

// A time text with a part out of 16 bits is error 6 and leaves the bono's time whole,
// though reading it stores the parts before the bad one.
TEST_F(cBonoTest, TiempoWithAPartOutOfRangeChangesNothing) {
    Registrar({{1, "12:34:56"}});
    for (const char* malo : {"1:2:99999", "5:99999:0", "99999", "1:-40000:0"}) {
        EXPECT_EQ(NumeroDeError([&] { m_Bono.tiempo(0, malo); }), kDesbordamiento) << malo;
        EXPECT_EQ(m_Bono.tiempo(0), "12:34:56") << malo;
    }
}

TEST_F(cBonoTest, ResetRefillsTimesAndLeavesDatesAlone) {
    Registrar({{0, "1:0:0"}, {3, "-2:0:0"}, {1, "70:0:0"}});
    m_Bono.Nombre(2, "XX");
    m_Bono.Baja(0, D(2000, 4, 10));
    m_Bono.Reset();
    EXPECT_EQ(Tiempos(), (std::vector<std::string>{"10:00:00", "50:00:00", "00:00:00"}));
    EXPECT_EQ(m_Bono.Baja(0), D(2000, 4, 10));
    EXPECT_EQ(m_Bono.Alta(1), m_Ahora);
}

// What decides whether the group totals can change: names and times, not dates.
TEST_F(cBonoTest, MismosTiemposLooksAtNamesAndTimesOnly) {
    Registrar({{0, "1:0:0"}, {1, ""}});
    cBono otro = m_Bono;
    otro.Baja(0, D(2000, 4, 10));
    EXPECT_TRUE(m_Bono.MismosTiempos(otro));
    otro.tiempo(1, "49:59:59");
    EXPECT_FALSE(m_Bono.MismosTiempos(otro));
    otro = m_Bono;
    otro.Nombre(0, "XX");
    EXPECT_FALSE(m_Bono.MismosTiempos(otro));
    otro = m_Bono;
    otro.DarAlta(0);
    EXPECT_FALSE(m_Bono.MismosTiempos(otro));
}

TEST_F(cBonoTest, CopiarRebuildsTheRegistryThroughPublicOperations) {
    cBono fuente([this] { return m_Ahora; });
    fuente.DiaFactura(20);
    fuente.perFactura(2);
    fuente.DarAlta(3, D(2000, 1, 2, 3, 4, 5));
    fuente.tiempo(0, "12:34:56");
    fuente.DarAlta(0, D(2000, 2, 3));
    fuente.Baja(1, Variant("25/03/2000"));  // 01/04 -> April even -> 20/05/2000
    fuente.tiempo(1, "1:75:90");
    fuente.DarAlta(1, D(2000, 3, 4));
    fuente.Nombre(2, "XX");  // no kind: the copy is a "10DIA"
    fuente.tiempo(2, "0:0:0");

    Registrar({{1, ""}, {2, ""}, {3, ""}, {0, ""}});
    m_Bono.DiaFactura(5);
    m_Bono.Copiar(fuente);

    EXPECT_EQ(m_Bono.Count(), 3);
    EXPECT_EQ(m_Bono.DiaFactura(), 20);
    EXPECT_EQ(m_Bono.perFactura(), 2);
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"50NOCHE ", "10DIA   ", "10DIA   "}));
    EXPECT_EQ(Tiempos(), (std::vector<std::string>{"12:34:56", "01:75:90", "00:00:00"}));
    EXPECT_EQ(m_Bono.Alta(0), F(2000, 1, 2, 3, 4, 5));
    EXPECT_EQ(m_Bono.Alta(1), F(2000, 2, 3));
    EXPECT_EQ(m_Bono.Alta(2), F(2000, 3, 4));
    EXPECT_EQ(m_Bono.Baja(0), Variant(""));
    EXPECT_EQ(m_Bono.Baja(1), Variant("25/03/2000"));
    EXPECT_EQ(m_Bono.BajaPer(1), D(2000, 5, 20));
    EXPECT_EQ(m_Bono.BajaPer(2), Variant(""));
    EXPECT_EQ(m_Bono.Nombre(3), kNul);

    // The copy is independent of its source.
    m_Bono.tiempo(0, "0:0:1");
    m_Bono.Baja(0, D(2000, 6, 1));
    EXPECT_EQ(fuente.tiempo(0), "12:34:56");
    EXPECT_EQ(fuente.Baja(0), Variant(""));
    EXPECT_EQ(fuente.Nombre(2), "XX      ");
}

TEST_F(cBonoTest, CopiarOfItselfChangesNothing) {
    m_Bono.DiaFactura(20);
    m_Bono.perFactura(2);
    Registrar({{1, "3:0:0"}, {2, ""}});
    m_Bono.Nombre(1, "XX");
    m_Bono.Baja(0, D(2000, 4, 10));
    const cBono& mismo = m_Bono;
    m_Bono.Copiar(mismo);
    EXPECT_EQ(m_Bono.Count(), 2);
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"50DIA   ", "XX      "}));
    EXPECT_EQ(Tiempos(), (std::vector<std::string>{"03:00:00", "10:00:00"}));
    EXPECT_EQ(m_Bono.BajaPer(0), D(2000, 5, 20));
    EXPECT_EQ(m_Bono.DiaFactura(), 20);
    EXPECT_EQ(m_Bono.perFactura(), 2);
}

// ---- Balances and charging ----

TEST_F(cBonoTest, EmptyRegistryHasNoTimeAnywhere) {
    for (int16_t c : {int16_t{0}, int16_t{1}, int16_t{3}}) {
        EXPECT_EQ(m_Bono.TotalTiempoTipo(c), "00:00:00");
        EXPECT_EQ(m_Bono.TotalTiempoGrupo(c), "00:00:00");
        EXPECT_EQ(m_Bono.TiempoGastadoGrupo(c), "00:00:00");
        EXPECT_TRUE(m_Bono.EstaVacioTipo(c));
        EXPECT_TRUE(m_Bono.EstaVacioGrupo(c));
    }
    EXPECT_EQ(m_Bono.Cual(0), -1);
    EXPECT_EQ(m_Bono.Cual(1), -1);
    EXPECT_EQ(m_Bono.Restar(0, "1:00:00", D(2000, 1, 1)), "-01:00:00");
}

TEST_F(cBonoTest, TotalsPerKindAndGroupIncludeExpiredBonos) {
    Registrar({{0, "1:30:00"}, {1, "50:0:0"}, {2, "0:0:10"}, {0, "0:45:00"}, {3, "-1:0:0"}});
    m_Bono.Nombre(3, "XX");  // counts as kind 0 with capacity zero
    m_Bono.Baja(0, D(1990, 1, 1));
    EXPECT_EQ(m_Bono.TotalTiempoTipo(0), "02:15:00");
    EXPECT_EQ(m_Bono.TotalTiempoTipo(1), "50:00:00");
    EXPECT_EQ(m_Bono.TotalTiempoTipo(3), "-01:00:00");
    EXPECT_EQ(m_Bono.TotalTiempoGrupo(0), "52:15:00");
    EXPECT_EQ(m_Bono.TotalTiempoGrupo(1), "00:-59:-50");
    EXPECT_EQ(m_Bono.TiempoGastadoGrupo(0), "07:45:00");  // 60 h of capacity less 52:15
    EXPECT_EQ(m_Bono.TiempoGastadoGrupo(1), "60:59:50");
    EXPECT_FALSE(m_Bono.EstaVacioGrupo(1));  // a negative total is not empty
    EXPECT_FALSE(m_Bono.EstaVacioTipo(2));
    m_Bono.tiempo(4, "0:0:-10");
    EXPECT_TRUE(m_Bono.EstaVacioGrupo(1));
    EXPECT_FALSE(m_Bono.EstaVacioTipo(3));
}

TEST_F(cBonoTest, CualPrefersTheFiftyHourKind) {
    struct Caso {
        Bonos bonos;
        int16_t dia, noche;  // Cual(0), Cual(1); any other group answers as the night
    };
    const Caso casos[] = {
        {{{0, ""}, {1, "0:0:0"}}, 0, -1}, {{{0, "0:0:0"}, {1, "0:0:0"}}, -1, -1},
        {{{0, ""}, {1, "0:0:1"}}, 1, -1}, {{{2, ""}, {3, ""}}, -1, 3},
        {{{2, ""}, {3, "0:0:0"}}, -1, 2}, {{{0, "1:-60:0"}, {2, "0:0:-1"}}, -1, 2},
    };
    for (const Caso& c : casos) {
        cBono b([this] { return m_Ahora; });
        Llenar(b, c.bonos);
        EXPECT_EQ(b.Cual(0), c.dia);
        EXPECT_EQ(b.Cual(1), c.noche);
        EXPECT_EQ(b.Cual(7), c.noche);
    }
}

TEST_F(cBonoTest, RestarSpreadsThePoolByPosition) {
    struct Caso {
        const char* nombre;
        Bonos bonos;
        int16_t grupo;
        const char* t;
        const char* resultado;
        std::vector<std::string> despues;
    };
    // clang-format off
    const Caso casos[] = {
        {"50 then 10", {{1, ""}, {0, ""}}, 0, "01:30:00", "00:00:00", {"50:00:00", "08:30:00"}},
        {"10 then 50", {{0, ""}, {1, ""}}, 0, "01:30:00", "00:00:00", {"10:00:00", "48:30:00"}},
        {"later time moves into the earlier bono", {{1, "20:00:00"}, {0, "10:00:00"}}, 0,
         "00:30:00", "00:00:00", {"29:30:00", "00:00:00"}},
        {"shortfall", {{2, "00:30:00"}}, 1, "01:30:00", "-01:00:00", {"00:00:00"}},
        {"50NOCHE is a fifty-hour kind", {{3, ""}}, 1, "01:30:00", "00:00:00", {"48:30:00"}},
        {"fill, remainder, zero", {{0, ""}, {1, ""}, {0, ""}}, 0,
         "15:00:00", "00:00:00", {"10:00:00", "45:00:00", "00:00:00"}},
        {"other group untouched", {{2, "03:00:00"}, {0, ""}, {3, "1:75:90"}}, 0,
         "1:00:00", "00:00:00", {"03:00:00", "09:00:00", "01:75:90"}},
        {"group without bonos", {{0, "2:0:0"}}, 1, "02:15:00", "-02:-15:00", {"02:00:00"}},
        {"any other group code has no bonos", {{2, ""}}, 7, "0:0:5", "00:00:-05", {"10:00:00"}},
        {"left over after the last bono is dropped", {{0, ""}}, 0, "0:0:-30", "00:00:00",
         {"10:00:00"}},
        {"time text past 23 hours", {{1, ""}}, 0, "48:00:00", "00:00:00", {"02:00:00"}},
    };
    // clang-format on
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        cBono b([this] { return m_Ahora; });
        Llenar(b, c.bonos);
        EXPECT_EQ(b.Restar(c.grupo, c.t, D(2000, 1, 1)), c.resultado);
        EXPECT_EQ(TiemposDe(b), c.despues);
    }
}

TEST_F(cBonoTest, RestarAfterTheFirstExampleShowsSpentTime) {
    Registrar({{1, ""}, {0, ""}});
    EXPECT_EQ(m_Bono.Restar(0, "01:30:00"), "00:00:00");
    EXPECT_EQ(m_Bono.TotalTiempoGrupo(0), "58:30:00");
    EXPECT_EQ(m_Bono.TiempoGastadoGrupo(0), "01:30:00");
}

TEST_F(cBonoTest, ExpiredBonosStayOutOfThePoolButTakeTheirShare) {
    m_Bono.DiaFactura(15);
    // A cancelled "10DIA" expiring 15/04/2000 00:00, then a full "50DIA".
    Registrar({{0, ""}, {1, ""}});
    m_Bono.Baja(0, D(2000, 4, 10));
    EXPECT_EQ(m_Bono.Restar(0, "01:00:00", D(2000, 4, 16)), "00:00:00");
    EXPECT_EQ(Tiempos(), (std::vector<std::string>{"10:00:00", "39:00:00"}));

    // The expiry instant itself is out; one second before it is in.
    struct Caso {
        Variant momento;
        const char* primero;
    };
    const Caso casos[] = {
        {D(2000, 4, 15), "00:00:00"},
        {D(2000, 4, 14, 23, 59, 59), "05:00:00"},
        {Variant("14/04/2000 23:59:59"), "05:00:00"},  // a text reading as a date
        {Variant("15/04/2000"), "00:00:00"},
        {Variant(F(2000, 4, 14)), "05:00:00"},  // a number is a date serial
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(CStr(c.momento));
        m_Bono.tiempo(0, "5:0:0");
        m_Bono.tiempo(1, "0:0:0");
        EXPECT_EQ(m_Bono.Restar(0, "0:0:0", c.momento), "00:00:00");
        EXPECT_EQ(Tiempos(), (std::vector<std::string>{c.primero, "00:00:00"}));
    }
    // Without a moment the clock decides.
    m_Bono.tiempo(0, "5:0:0");
    m_Ahora = F(2000, 4, 14);
    m_Bono.Restar(0, "0:0:0");
    EXPECT_EQ(m_Bono.tiempo(0), "05:00:00");
    m_Ahora = F(2000, 4, 15);
    m_Bono.Restar(0, "0:0:0");
    EXPECT_EQ(m_Bono.tiempo(0), "00:00:00");
}

TEST_F(cBonoTest, GroupWhoseOnlyBonoExpiredIsNotEmptyButCannotBeCharged) {
    m_Bono.DiaFactura(15);
    Registrar({{2, "04:00:00"}});
    m_Bono.Baja(0, D(2000, 4, 10));
    EXPECT_FALSE(m_Bono.EstaVacioGrupo(1));
    EXPECT_EQ(m_Bono.TotalTiempoTipo(2), "04:00:00");
    EXPECT_EQ(m_Bono.Cual(1), 2);
    EXPECT_EQ(m_Bono.Restar(1, "01:00:00", D(2000, 5, 1)), "-01:00:00");
    EXPECT_EQ(m_Bono.tiempo(0), "00:00:00");
}

TEST_F(cBonoTest, BonoWithUnknownNameIsChargedAsATenHourDayBono) {
    Registrar({{0, "05:00:00"}, {1, ""}});
    m_Bono.Nombre(0, "XX");
    EXPECT_EQ(m_Bono.Restar(0, "0:0:0", D(2000, 1, 1)), "00:00:00");
    // Pool 55 h: the unknown bono is "filled" to its capacity, zero, and 10 h are gone.
    EXPECT_EQ(Tiempos(), (std::vector<std::string>{"00:00:00", "45:00:00"}));

    // A pool of exactly 10 hours is not above the amount: the bono takes the pool itself.
    m_Bono.tiempo(0, "10:00:00");
    m_Bono.tiempo(1, "0:0:0");
    m_Bono.Restar(0, "0:0:0", D(2000, 1, 1));
    EXPECT_EQ(Tiempos(), (std::vector<std::string>{"10:00:00", "00:00:00"}));
    m_Bono.tiempo(0, "10:00:01");
    m_Bono.Restar(0, "0:0:0", D(2000, 1, 1));
    EXPECT_EQ(Tiempos(), (std::vector<std::string>{"00:00:00", "00:00:01"}));
}

TEST_F(cBonoTest, RestarFailsBeforeWritingAnything) {
    Registrar({{0, "1:0:0"}, {1, "2:0:0"}});
    const std::pair<Variant, int> momentos[] = {
        {Variant("no date"), kTiposNoCoinciden},
        {Variant(""), kTiposNoCoinciden},
        {Variant::DeFecha(std::numeric_limits<double>::quiet_NaN()), kDesbordamiento},
        {Variant(1e300), kDesbordamiento},
    };
    for (const auto& [m, error] : momentos) {
        EXPECT_EQ(NumeroDeError([&] { (void)m_Bono.Restar(0, "0:30:0", m); }), error);
        EXPECT_EQ(Tiempos(), (std::vector<std::string>{"01:00:00", "02:00:00"}));
    }
    EXPECT_EQ(NumeroDeError([&] { (void)m_Bono.Restar(0, "99999:0:0", D(2000, 1, 1)); }),
              kDesbordamiento);
    EXPECT_EQ(Tiempos(), (std::vector<std::string>{"01:00:00", "02:00:00"}));
}

TEST_F(cBonoTest, TotalsBeyond32767HoursAreOverflow) {
    // 656 bonos of 50 hours make 32800 hours.
    for (int i = 0; i < 656; ++i) m_Bono.DarAlta(1, D(2000, 1, 1));
    EXPECT_EQ(NumeroDeError([&] { (void)m_Bono.TotalTiempoGrupo(0); }), kDesbordamiento);
    EXPECT_EQ(NumeroDeError([&] { (void)m_Bono.TiempoGastadoGrupo(0); }), kDesbordamiento);
    EXPECT_EQ(NumeroDeError([&] { (void)m_Bono.Restar(0, "1:0:0", D(2000, 1, 1)); }),
              kDesbordamiento);
    EXPECT_EQ(m_Bono.tiempo(655), "50:00:00");
    m_Bono.Limpiar(Variant(0));  // 655 x 50 = 32750 hours fit
    EXPECT_EQ(m_Bono.TotalTiempoGrupo(0), "32750:00:00");
}

// Balances and charges in whole seconds against the rules written out plainly: the pool of
// the group's bonos not expired at the moment, less the charge, spread by position with each
// bono filled while the pool exceeds its kind's capacity. Random registries (odd names and
// hand-set times included); the text operations give the same seconds as text.
TEST(cBonoSegundos, ChargesAndTotalsFollowThePoolRuleOnRandomRegistries) {
    std::mt19937 azar(6);
    auto entre = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(azar); };
    const char* nombres[] = {"10DIA", "50DIA", "10NOCHE", "50NOCHE", "50RARO", "XX", ""};
    const int capacidadNombre[] = {36000, 180000, 36000, 180000, 180000, 0, 0};
    const int tipoNombre[] = {0, 1, 2, 3, 0, 0, 0};
    const double hoy = F(2000, 3, 10, 12);
    for (int n = 0; n < 400; ++n) {
        cBono b([hoy] { return hoy; });
        struct Modelo {
            int nombre, segundos;
            bool caducado;
        };
        std::vector<Modelo> m;
        for (int k = entre(0, 6); k > 0; --k) {
            const int nombre = entre(0, 6);
            b.DarAlta(static_cast<int16_t>(entre(0, 3)), D(2000, 1, 1));
            const auto i = static_cast<int16_t>(b.Count() - 1);
            b.Nombre(i, nombres[nombre]);
            const int segundos = entre(0, 3) == 0 ? capacidadNombre[nombre] : entre(0, 200000);
            b.tiempo(i, std::to_string(segundos / 3600) + ":" + std::to_string(segundos / 60 % 60) +
                            ":" + std::to_string(segundos % 60));
            const bool caducado = entre(0, 4) == 0;
            if (caducado) b.Baja(i, D(2000, 1, 5));  // expires on the next billing day
            m.push_back({nombre, segundos, caducado});
        }
        const auto grupo = static_cast<int16_t>(entre(0, 1));
        auto enGrupo = [&](const Modelo& x) {
            return (tipoNombre[x.nombre] >= 2 ? 1 : 0) == grupo;
        };
        int total = 0, capacidad = 0, pool = 0;
        for (const Modelo& x : m)
            if (enGrupo(x)) {
                total += x.segundos;
                capacidad += capacidadNombre[x.nombre];
                if (!x.caducado) pool += x.segundos;
            }
        ASSERT_EQ(b.SegundosGrupo(grupo), total);
        ASSERT_EQ(b.SegundosGastadosGrupo(grupo), capacidad - total);
        ASSERT_EQ(b.TotalTiempoGrupo(grupo), [&] {
            cTiempo t;
            t.ConvTiempo(total);
            return t.Valor();
        }());

        const int cargo = entre(0, 250000);
        cBono copia([hoy] { return hoy; });
        copia.Copiar(b);
        for (int16_t i = 0; i < b.Count(); ++i) copia.Nombre(i, b.Nombre(i));
        const std::int32_t falta = b.RestarSegundos(grupo, cargo, hoy);
        const std::string texto = copia.Restar(
            grupo, "0:" + std::to_string(cargo / 60) + ":" + std::to_string(cargo % 60),
            D(2000, 3, 10, 12));
        pool -= cargo;
        ASSERT_EQ(falta, pool < 0 ? pool : 0);
        cTiempo t;
        t.ConvTiempo(falta);
        ASSERT_EQ(texto, t.Valor());
        pool = std::max(pool, 0);
        for (std::size_t i = 0; i < m.size(); ++i) {
            const auto pos = static_cast<int16_t>(i);
            int esperado = m[i].segundos;
            if (enGrupo(m[i])) {
                const int umbral = tipoNombre[m[i].nombre] % 2 == 1 ? 180000 : 36000;
                esperado = pool > umbral ? capacidadNombre[m[i].nombre] : pool;
                pool = pool > umbral ? pool - umbral : 0;
            }
            cTiempo e;
            e.ConvTiempo(esperado);
            ASSERT_EQ(b.tiempo(pos), e.Valor()) << n << " " << i;
            ASSERT_EQ(copia.tiempo(pos), e.Valor()) << n << " " << i;
        }
    }
}

}  // namespace
}  // namespace quelmar
