#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>
#include <string_view>

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

TEST(Texto, FixedWidthFieldsAndTrimming) {
    TextoFijo<7> t;
    EXPECT_EQ(t.Texto(), std::string(7, '\0'));
    t.Asignar("0,15");
    EXPECT_EQ(t.Texto(), "0,15   ");
    t.Asignar("123456789");
    EXPECT_EQ(t.Texto(), "1234567");
    EXPECT_EQ(RecortarEspacios("  a b \t "), "a b \t");
    EXPECT_EQ(RecortarEspacios(std::string("\0a ", 3)), std::string("\0a", 2));
}

TEST(Texto, LeadingNumberOfAText) {
    struct Caso {
        const char* texto;
        double valor;
    };
    const Caso casos[] = {
        {"12", 12},
        {" 1.5:30", 1.5},
        {":30", 0},
        {"", 0},
        {"abc", 0},
        {"-1:30", -1},
        {"0,15", 0},
        {"1 2 3", 123},
        {"+7x", 7},
        {".5", 0.5},
        {"1e3", 1000},
        {"2.5.1", 2.5},
        {"\t\n 9", 9},
        {"1E", 1},
        {"-", 0},
        {"0.1", 0.1},
        {"-2.5e-3", -2.5e-3},
        // Many digits and large exponents read as strtod reads them.
        {"3.14159265358979323846264338327950288419716939937510", 3.141592653589793},
        {"0.00000000000000000000000001", 1e-26},
        {"12345678901234567890123", 12345678901234567890123.0},
        {"9007199254740993", 9007199254740993.0},
        {"1e400", HUGE_VAL},
        {"-1e400", -HUGE_VAL},
        {"1e-400", 0.0}};
    for (const Caso& c : casos) EXPECT_EQ(NumeroInicial(c.texto), c.valor) << c.texto;
}

// The grammar spelled out the slow way: the number's characters, blanks dropped, to
// strtod. Whether a digit came before the first character that cannot continue it.
double NumeroDeReferencia(std::string_view s, bool& hallado) {
    auto blanco = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
    auto digito = [](char c) { return c >= '0' && c <= '9'; };
    std::string limpio;
    std::size_t i = 0;
    while (i < s.size() && blanco(s[i])) ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) limpio += s[i++];
    bool punto = false;
    hallado = false;
    for (; i < s.size(); ++i) {
        if (blanco(s[i])) continue;
        if (digito(s[i])) {
            hallado = true;
        } else if (s[i] != '.' || punto) {
            break;
        }
        punto = punto || s[i] == '.';
        limpio += s[i];
    }
    if (hallado && i < s.size() && std::string_view("EeDd").find(s[i]) != std::string_view::npos) {
        std::string exp = "e";
        std::size_t j = i + 1;
        while (j < s.size() && blanco(s[j])) ++j;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exp += s[j++];
        bool cifras = false;
        for (; j < s.size() && (digito(s[j]) || blanco(s[j])); ++j)
            if (digito(s[j])) {
                exp += s[j];
                cifras = true;
            }
        if (cifras) limpio += exp;
    }
    if (!hallado) return 0.0;
    const double v = std::strtod(limpio.c_str(), nullptr);
    return std::isfinite(v) ? v : (v > 0 ? HUGE_VAL : -HUGE_VAL);
}

// One scan answers both the value and whether there was a number, for any text: short
// amounts, blanks inside, long mantissas, large exponents.
TEST(Texto, LeadingNumberSaysWhetherItFoundOneAndReadsAsStrtod) {
    std::mt19937 azar(21);
    const std::string_view letras = "0123456789000.. +-eEdx\t";
    for (int n = 0; n < 20000; ++n) {
        std::string s(std::uniform_int_distribution<std::size_t>(0, 45)(azar), ' ');
        for (char& c : s)
            c = letras[std::uniform_int_distribution<std::size_t>(0, letras.size() - 1)(azar)];
        bool hallado = true, esperado = false;
        const double v = NumeroInicial(s, hallado);
        const double r = NumeroDeReferencia(s, esperado);
        ASSERT_EQ(hallado, esperado) << "«" << s << "»";
        ASSERT_EQ(std::bit_cast<std::uint64_t>(v), std::bit_cast<std::uint64_t>(r))
            << "«" << s << "» " << v << " " << r;
        ASSERT_EQ(NumeroInicial(s), v);
    }
}

}  // namespace
}  // namespace quelmar
