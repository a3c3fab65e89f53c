#include "catalogue/cCatalogo.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "runtime/Locale.h"
#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"
#include "support/CarpetaTemporal.h"
#include "support/NumeroDeError.h"

namespace quelmar {
namespace {

std::string Nombre(const cCatalogo& c, std::int16_t i) {
    return CStr(c.Valor(i, "Nombre"));
}

std::vector<std::string> Nombres(const cCatalogo& c) {
    std::vector<std::string> r;
    for (std::int16_t i = 0; i < c.Count(); ++i) r.push_back(Nombre(c, i));
    return r;
}

class Catalogo : public ::testing::Test {
  protected:
    CarpetaTemporal dir;
    cCatalogo cat{dir.ruta()};
    LocaleScope locale{Locale::PorDefecto()};

    void ConNombres(std::initializer_list<const char*> nombres) {
        for (const char* n : nombres) {
            cat.Add();
            cat.Valor(static_cast<std::int16_t>(cat.Count() - 1), "Nombre", n);
        }
    }
};

TEST_F(Catalogo, NewCatalogueHoldsOnlyTheZeroSpareSlot) {
    EXPECT_EQ(cat.Count(), 0);
    EXPECT_EQ(cat.Find("A"), -1);
    EXPECT_EQ(cat.Find(""), -1);
    EXPECT_EQ(Nombre(cat, 0), std::string(15, '\0'));
    EXPECT_EQ(NumeroDeError([&] { cat.Valor(1, "Nombre"); }), kFueraDeRango);
    EXPECT_EQ(NumeroDeError([&] { cat.Valor(-1, "Nombre", "x"); }), kFueraDeRango);
    EXPECT_TRUE(cat.NombreTarifa().empty());
}

TEST_F(Catalogo, AddGivesATariffOfZeroFields) {
    cat.Add();
    EXPECT_EQ(cat.Count(), 1);
    for (const tTarifa::Campo& c : tTarifa::Campos()) {
        const Variant v = cat.Valor(0, c.clave);
        if (c.tipo == tTarifa::Tipo::Texto)
            EXPECT_EQ(CStr(v), std::string(c.ancho, '\0')) << c.clave;
        else
            EXPECT_EQ(v, Variant::DeFecha(0.0)) << c.clave;
    }
}

TEST_F(Catalogo, KeysAreMatchedExactlyAndUnknownKeysDoNothing) {
    cat.Add();
    EXPECT_TRUE(cat.Valor(0, "nombre").EsVacio());
    EXPECT_TRUE(cat.Valor(0, "Nombre ").EsVacio());
    EXPECT_TRUE(cat.Valor(0, "Semana.Normal").EsVacio());
    // Nothing is looked at for an unknown key, not even a wild index.
    EXPECT_TRUE(cat.Valor(-5, "nombre").EsVacio());
    cat.Valor(9999, "nombre", "X");
    cat.Valor(0, "Nombre ", "X");
    EXPECT_EQ(Nombre(cat, 0), std::string(15, '\0'));
    EXPECT_EQ(tTarifa::Campos().size(), 21u);
}

TEST_F(Catalogo, TextsAreStoredAtFullWidthAndReadTrimmedOfSpacesOnly) {
    cat.Add();
    cat.Valor(0, "Nombre", "ABCDEFGHIJKLMNOPQRSTUV");
    EXPECT_EQ(Nombre(cat, 0), "ABCDEFGHIJKLMNO");
    cat.Valor(0, "Nombre", "  Abc");
    EXPECT_EQ(Nombre(cat, 0), "Abc");
    EXPECT_EQ(cat.Find("Abc"), 0);
    EXPECT_EQ(cat.Find("  Abc"), -1);
    EXPECT_EQ(cat.Find("abc"), -1);
    cat.Valor(0, "Conexion.Importe", "\tx ");
    EXPECT_EQ(CStr(cat.Valor(0, "Conexion.Importe")), "\tx");
    // Numbers become their text in the locale (decimal comma by default).
    cat.Valor(0, "Semana.Reducida.Importe", 0.5);
    EXPECT_EQ(CStr(cat.Valor(0, "Semana.Reducida.Importe")), "0,5");
    cat.Valor(0, "Semana.Reducida.Importe", Variant());
    EXPECT_EQ(CStr(cat.Valor(0, "Semana.Reducida.Importe")), "");
}

TEST_F(Catalogo, DateKeysConvertTextsAndNumbersAndRejectWhatDoesNotConvert) {
    cat.Add();
    cat.Valor(0, "Semana.Normal.Inicio", "8:30");
    EXPECT_EQ(cat.Valor(0, "Semana.Normal.Inicio"), Variant::DeFecha(fecha::DesdeHora(8, 30, 0)));
    cat.Valor(0, "Semana.Normal.Fin", 0.75);
    EXPECT_EQ(cat.Valor(0, "Semana.Normal.Fin"), Variant::DeFecha(0.75));
    cat.Valor(0, "Conexion.Tiempo", Variant());
    EXPECT_EQ(cat.Valor(0, "Conexion.Tiempo"), Variant::DeFecha(0.0));
    // A date is stored bit for bit, even one that no text would give.
    const double raro = fecha::DesdeHora(17, 59, 59) + 1e-9;
    cat.Valor(0, "Festivo.Reducida.Fin", Variant::DeFecha(raro));
    EXPECT_EQ(cat.Valor(0, "Festivo.Reducida.Fin").fecha(), raro);
    EXPECT_EQ(NumeroDeError([&] { cat.Valor(0, "Semana.Normal.Inicio", "las ocho"); }),
              kTiposNoCoinciden);
    EXPECT_EQ(cat.Valor(0, "Semana.Normal.Inicio"), Variant::DeFecha(fecha::DesdeHora(8, 30, 0)));
}

TEST_F(Catalogo, DeleteAndAddSequences) {
    struct Caso {
        std::int16_t borrar;
        std::vector<std::string> despues, trasAdd;
    };
    const Caso casos[] = {
        {0, {"B", "C"}, {"B", "C", "C"}},
        {1, {"A", "C"}, {"A", "C", "C"}},
        {2, {"A", "B"}, {"A", "B", "C"}},
        {7, {"A", "B"}, {"A", "B", "C"}},
    };
    for (const Caso& c : casos) {
        cCatalogo abc(dir.ruta());
        for (const char* n : {"A", "B", "C"}) {
            abc.Add();
            abc.Valor(static_cast<std::int16_t>(abc.Count() - 1), "Nombre", n);
        }
        abc.Delete(c.borrar);
        EXPECT_EQ(Nombres(abc), c.despues) << c.borrar;
        abc.Add();
        EXPECT_EQ(Nombres(abc), c.trasAdd) << c.borrar;
    }
}

TEST_F(Catalogo, DeleteRefusesNegativeIndexAndEmptyCatalogueChangingNothing) {
    EXPECT_EQ(NumeroDeError([&] { cat.Delete(0); }), kFueraDeRango);
    EXPECT_EQ(cat.Count(), 0);
    ConNombres({"A", "B"});
    EXPECT_EQ(NumeroDeError([&] { cat.Delete(-1); }), kFueraDeRango);
    EXPECT_EQ(Nombres(cat), (std::vector<std::string>{"A", "B"}));
}

TEST_F(Catalogo, CopyIncludesTheNameAndChecksBothIndices) {
    ConNombres({"A", "B", "C"});
    cat.Valor(0, "Semana.Normal.Importe", "12");
    cat.Copy(2, 0);
    EXPECT_EQ(Nombres(cat), (std::vector<std::string>{"A", "B", "A"}));
    EXPECT_EQ(CStr(cat.Valor(2, "Semana.Normal.Importe")), "12");
    EXPECT_EQ(cat.Find("A"), 0);
    EXPECT_EQ(NumeroDeError([&] { cat.Copy(4, 0); }), kFueraDeRango);
    EXPECT_EQ(NumeroDeError([&] { cat.Copy(0, -1); }), kFueraDeRango);
    EXPECT_EQ(Nombres(cat), (std::vector<std::string>{"A", "B", "A"}));
}

TEST_F(Catalogo, SpareSlotIsWritableButNeverATariff) {
    ConNombres({"A"});
    cat.Valor(1, "Nombre", "Reserva");
    EXPECT_EQ(Nombre(cat, 1), "Reserva");
    EXPECT_EQ(cat.Find("Reserva"), -1);
    cat.Copy(1, 0);
    EXPECT_EQ(Nombre(cat, 1), "A");
    cat.Save();
    EXPECT_EQ(dir.Leer().size(), 168u);
    // Add turns the spare into a tariff with whatever it holds.
    cat.Add();
    EXPECT_EQ(Nombre(cat, 1), "A");
    EXPECT_EQ(Nombre(cat, 2), std::string(15, '\0'));
}

TEST_F(Catalogo, AfterDeleteTheSpareHoldsTheFormerLastRecord) {
    ConNombres({"A", "B", "C"});
    cat.Delete(0);
    EXPECT_EQ(Nombre(cat, 2), "C");
    cat.Delete(1);
    EXPECT_EQ(Nombre(cat, 1), "C");
}

TEST_F(Catalogo, AddBeyondTheLimitOverflowsWithoutGrowing) {
    for (int i = 0; i < 32767; ++i) cat.Add();
    EXPECT_EQ(cat.Count(), 32767);
    EXPECT_EQ(NumeroDeError([&] { cat.Add(); }), kDesbordamiento);
    EXPECT_EQ(cat.Count(), 32767);
    cat.Delete(32767);
    EXPECT_EQ(cat.Count(), 32766);
}

TEST_F(Catalogo, NombreTarifaKeepsItsTextUnchanged) {
    cat.NombreTarifa("  Normal ");
    EXPECT_EQ(cat.NombreTarifa(), "  Normal ");
}

}  // namespace
}  // namespace quelmar
