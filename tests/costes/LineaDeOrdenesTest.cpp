#include <gtest/gtest.h>

#include "costes/LineaDeOrdenes.h"

namespace quelmar::costes {
namespace {

TEST(LineaDeOrdenes, CostingOptionsPeriodFileAndQtsOwnAreTakenApart) {
    const Arranque a =
        LeerLineaDeOrdenes({"quelmar-costes", "--catalogo", "/c", "--tarifa=Nacional", "-style",
                            "Fusion", "--troncal", "SIP/a", "--troncal=SIP/b", "--utc", "--formato",
                            "asterisk", "--mes", "2000-02", "Master.csv", "-platform", "offscreen"},
                           "1.0");
    ASSERT_FALSE(a.salida) << a.texto;
    EXPECT_EQ(a.opciones.catalogo, "/c");
    EXPECT_EQ(a.opciones.tarifa, "Nacional");
    EXPECT_EQ(a.opciones.troncales, (std::vector<std::string>{"SIP/a", "SIP/b"}));
    EXPECT_TRUE(a.opciones.utc);
    EXPECT_EQ(a.opciones.formato, "asterisk");
    EXPECT_EQ(a.fichero, "Master.csv");
    ASSERT_TRUE(a.periodo);
    EXPECT_EQ(a.periodo->clase, Periodo::Clase::Mes);
    EXPECT_EQ(a.periodo->mes, 2u);
    EXPECT_EQ(a.paraQt, (std::vector<std::string>{"quelmar-costes", "-style", "Fusion", "-platform",
                                                  "offscreen"}));
    // Only the options given override the saved ones.
    EXPECT_EQ(a.dadas, (std::vector<std::string>{"catalogo", "tarifa", "troncal", "troncal", "utc",
                                                 "formato", "mes"}));
}

TEST(LineaDeOrdenes, FromAndToMakeOnePeriod) {
    const Arranque a =
        LeerLineaDeOrdenes({"q", "--desde", "2000-01-10", "--hasta", "2000-01-20"}, "1.0");
    ASSERT_TRUE(a.periodo);
    EXPECT_EQ(a.periodo->clase, Periodo::Clase::Entre);
    EXPECT_TRUE(a.periodo->desde && a.periodo->hasta);
}

TEST(LineaDeOrdenes, HelpAndVersionEndAtOnceAndFaultsAreUsageErrors) {
    EXPECT_EQ(LeerLineaDeOrdenes({"q", "llamadas.csv", "--help"}, "1.0").salida, 0);
    const Arranque v = LeerLineaDeOrdenes({"q", "-V"}, "9.9");
    EXPECT_EQ(v.salida, 0);
    EXPECT_EQ(v.texto, "quelmar-costes 9.9\n");
    for (const std::vector<std::string>& mal : {std::vector<std::string>{"q", "--mes", "2000-13"},
                                                {"q", "--desde", "ayer"},
                                                {"q", "a.csv", "b.csv"},
                                                {"q", "--formato", "cdr"},
                                                {"q", "--bonos"}}) {
        const Arranque a = LeerLineaDeOrdenes(mal, "1.0");
        EXPECT_EQ(a.salida, 2) << mal.back();
        EXPECT_NE(a.texto.find("véase «quelmar-costes --help»"), std::string::npos);
    }
}

}  // namespace
}  // namespace quelmar::costes
