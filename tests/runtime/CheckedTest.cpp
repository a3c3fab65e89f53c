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

TEST(Checked, RoundsHalvesToEvenAndOverflowsInsteadOfWrapping) {
    EXPECT_EQ(CInt(1.5), 2);
    EXPECT_EQ(CInt(2.5), 2);
    EXPECT_EQ(CInt(-2.5), -2);
    EXPECT_EQ(CInt(32767.4), 32767);
    EXPECT_EQ(NumeroDeError([] { CInt(32767.5); }), kDesbordamiento);
    EXPECT_EQ(NumeroDeError([] { CInt(-32768.6); }), kDesbordamiento);
    EXPECT_EQ(NumeroDeError([] { CInt(std::nan("")); }), kDesbordamiento);
    EXPECT_EQ(NumeroDeError([] { CLng(std::numeric_limits<double>::infinity()); }),
              kDesbordamiento);
    EXPECT_EQ(NumeroDeError([] { Sumar16(32767, 1); }), kDesbordamiento);
    EXPECT_EQ(NumeroDeError([] { Sumar32(INT32_MAX, 1); }), kDesbordamiento);
    EXPECT_EQ(NumeroDeError([] { Multiplicar32(65536, 65536); }), kDesbordamiento);
    EXPECT_EQ(Restar32(INT32_MIN + 1, 1), INT32_MIN);
}

}  // namespace
}  // namespace quelmar
