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

}  // namespace
}  // namespace quelmar
