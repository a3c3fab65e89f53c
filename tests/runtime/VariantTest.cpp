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
