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

TEST(CodePage, EveryByteRoundTripsAndUnmappableCharactersBecomeQuestionMarks) {
    std::string todos;
    for (int b = 0; b < 256; ++b) todos += static_cast<char>(b);
    EXPECT_EQ(Utf8ACp1252(Cp1252AUtf8(todos)), todos);
    EXPECT_EQ(Cp1252AUtf8("\x80"), "\u20AC");
    EXPECT_EQ(Cp1252AUtf8("Espa\xF1"
                          "a"),
              "España");
    EXPECT_EQ(Utf8ACp1252("Ñandú €"),
              "\xD1"
              "and\xFA \x80");
    EXPECT_EQ(Utf8ACp1252("a\u4E2Db"), "a?b");
    EXPECT_EQ(Utf8ACp1252("\xF0\x9F\x98\x80"), "?");
    EXPECT_EQ(Utf8ACp1252("\xC3"), "?");  // cut sequence
}

}  // namespace
}  // namespace quelmar
