#include "catalogue/tTarifa.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

#include "runtime/OleDate.h"

namespace quelmar {
namespace {

// Every (day kind, band, part) names the field whose key spells it, and back; no two share
// a field, and the name and connection fields have no place among the bands.
TEST(tTarifa, EveryDayBandAndPartMapsToTheFieldItsKeySpells) {
    const char* dias[] = {"Semana", "Sabado", "Festivo"};
    const char* bandas[] = {"Normal", "Reducida"};
    const char* partes[] = {"Importe", "Inicio", "Fin"};
    std::set<const tTarifa::Campo*> vistos;
    for (std::size_t d = 0; d < kClasesDia.size(); ++d)
        for (std::size_t b = 0; b < kClasesBanda.size(); ++b)
            for (std::size_t p = 0; p < kPartesBanda.size(); ++p) {
                const LugarCampo lugar{kClasesDia[d], kClasesBanda[b], kPartesBanda[p]};
                const tTarifa::Campo& c = tTarifa::CampoDe(lugar);
                const std::string clave = std::string(dias[d]) + "." + bandas[b] + "." + partes[p];
                EXPECT_EQ(c.clave, clave);
                EXPECT_EQ(tTarifa::Buscar(clave), &c);
                EXPECT_EQ(tTarifa::LugarDe(c), lugar) << clave;
                EXPECT_EQ(c.tipo, p == 0 ? tTarifa::Tipo::Texto : tTarifa::Tipo::Fecha);
                EXPECT_TRUE(vistos.insert(&c).second) << clave;
            }
    for (const tTarifa::Campo* c : {&tTarifa::CampoNombre(), &tTarifa::CampoConexionImporte(),
                                    &tTarifa::CampoConexionTiempo()}) {
        EXPECT_FALSE(tTarifa::LugarDe(*c)) << c->clave;
        EXPECT_TRUE(vistos.insert(c).second) << c->clave;
    }
    EXPECT_EQ(vistos.size(), tTarifa::Campos().size());
}

TEST(tTarifa, EndOfMinuteRuleKeepsOnlyMidnightAtTheStartOfItsMinute) {
    struct Caso {
        int h, m;
        int esperado;  // seconds of the stored end
    } casos[] = {{0, 0, 0}, {0, 1, 119}, {17, 59, 17 * 3600 + 59 * 60 + 59}, {23, 59, 86399}};
    for (const Caso& c : casos)
        EXPECT_EQ(fecha::ASegundos(FinDeMinuto(c.h, c.m)), c.esperado) << c.h << ":" << c.m;
}

}  // namespace
}  // namespace quelmar
