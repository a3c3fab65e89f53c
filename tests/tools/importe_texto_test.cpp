// Amounts in costear's rows: the same text as std::to_chars' fixed shortest form, for every
// float, by a faster path for the usual ones.
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>

#include "llamadas/Instantes.h"

namespace quelmar::llamadas {
namespace {

std::string Referencia(float x) {
    char b[64];
    const auto r = std::to_chars(b, b + sizeof b, x, std::chars_format::fixed);
    return std::string(b, r.ptr);
}

TEST(TextoImporte, IsToCharsShortestFixedForm) {
    // Every cent up to 200 000 and its neighbours, both signs.
    for (std::int32_t c = 0; c <= 20000000; c += 7) {
        const float x = static_cast<float>(c) / 100.0f;
        for (float y : {x, -x, std::nextafter(x, 0.0f), std::nextafter(x, INFINITY)})
            ASSERT_EQ(TextoImporte(y), Referencia(y)) << std::bit_cast<std::uint32_t>(y);
    }
    // Prices per minute charged by the second, as the engine works them out.
    for (float precio : {0.5f, 3.0f, 5.5f, 6.0f, 12.0f, 13.72f, 30.0f, 47.35f})
        for (int segundos = 0; segundos <= 20000; ++segundos) {
            const auto y = static_cast<float>(static_cast<double>(precio) / 60.0 * segundos);
            ASSERT_EQ(TextoImporte(y), Referencia(y)) << precio << " " << segundos;
        }
    // Random bit patterns: every magnitude, NaN and infinities among them.
    std::uint64_t s = 0x2545F4914F6CDD1DULL;
    for (int i = 0; i < 2000000; ++i) {
        s ^= s << 13, s ^= s >> 7, s ^= s << 17;
        const float y = std::bit_cast<float>(static_cast<std::uint32_t>(s));
        ASSERT_EQ(TextoImporte(y), Referencia(y)) << std::bit_cast<std::uint32_t>(y);
    }
    for (float y : {0.0f, -0.0f, 0.125f, 131072.125f, 16777215.0f, 16777216.0f, 1e20f})
        EXPECT_EQ(TextoImporte(y), Referencia(y)) << y;
}

}  // namespace
}  // namespace quelmar::llamadas
