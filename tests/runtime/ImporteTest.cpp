#include <gtest/gtest.h>
#include <optional>
#include <string>

#include "runtime/Importe.h"
#include "runtime/Locale.h"

namespace quelmar {
namespace {

TEST(Importe, TypedAmountsBecomeTheEnginesFormOnlyWhenPlainNumbers) {
    struct Caso {
        const char* texto;
        char decimal;
        std::optional<std::string> motor;
    };
    const Caso casos[] = {
        {"5,5", ',', "5.5"},
        {"5.5", ',', "5.5"},
        {"5.5", '.', "5.5"},
        {" -0,25\t", ',', "-0.25"},
        {"+3", ',', "+3"},
        {",5", ',', ".5"},
        {"", ',', ""},
        {"  ", ',', ""},
        {"5,5", '.', std::nullopt},
        {"1.234,5", ',', std::nullopt},
        {"1e3", ',', "1e3"},
        {"2,5E-1", ',', "2.5E-1"},
        {"1e", ',', std::nullopt},
        {"abc", ',', std::nullopt},
        {"11,5€", ',', std::nullopt},
        {",", ',', std::nullopt},
        {"5 5", ',', std::nullopt},
    };
    for (const Caso& c : casos)
        EXPECT_EQ(ImporteDeUsuario(c.texto, c.decimal), c.motor) << c.texto << " " << c.decimal;
}

TEST(Importe, StoredAmountsAreShownTheUsersWayAndCheckedAgainstWhatIsCharged) {
    const LocaleScope espana(Locale::PorDefecto());
    EXPECT_EQ(ImporteParaUsuario("3.25   ", ','), "3,25");
    EXPECT_EQ(ImporteParaUsuario("0,15", ','), "0,15");  // not a number the engine reads
    EXPECT_EQ(ImporteParaUsuario("abc", ','), "abc");

    struct Caso {
        const char* mostrado;
        const char* guardado;
        std::optional<std::string> cobrado;
    };
    const Caso casos[] = {
        {"3,25", "3.25", std::nullopt}, {"0,15", "0,15", "0"}, {"123456789", "1234567", "1234567"},
        {"", "", std::nullopt},         {"abc", "abc", "0"},   {"11,5", "11.5x", std::nullopt}};
    for (const Caso& c : casos)
        EXPECT_EQ(ImporteDistinto(c.mostrado, c.guardado, ','), c.cobrado) << c.mostrado;

    // Only a text with no number at all is a fault; blanks and NULs are a field never written.
    for (const char* sin : {"abc", "-", ".",
                            "\xE2\x82\xAC"
                            "5",
                            " x1"})
        EXPECT_TRUE(ImporteSinNumero(sin)) << sin;
    for (const char* con : {"", "       ", "0", " 4.1", "11.5x", ".5", "- 3"})
        EXPECT_FALSE(ImporteSinNumero(con)) << con;
    EXPECT_FALSE(ImporteSinNumero(std::string(7, '\0')));
}

}  // namespace
}  // namespace quelmar
