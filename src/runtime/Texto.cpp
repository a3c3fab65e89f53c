#include "runtime/Texto.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace quelmar {

std::string_view RecortarEspacios(std::string_view s) noexcept {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

double NumeroInicial(std::string_view s) noexcept {
    auto blanco = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
    auto digito = [](char c) { return c >= '0' && c <= '9'; };
    std::string limpio;
    std::size_t i = 0;
    auto saltar = [&] {
        while (i < s.size() && blanco(s[i])) ++i;
    };
    saltar();
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) limpio += s[i++];
    bool hayDigitos = false, punto = false;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (blanco(c)) continue;
        if (digito(c)) {
            limpio += c;
            hayDigitos = true;
        } else if (c == '.' && !punto) {
            limpio += c;
            punto = true;
        } else {
            break;
        }
    }
    if (!hayDigitos) return 0.0;
    // Optional exponent: E or D, a sign, digits.
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        std::string exp = "e";
        while (j < s.size() && blanco(s[j])) ++j;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exp += s[j++];
        bool expDigitos = false;
        for (; j < s.size(); ++j) {
            if (blanco(s[j])) continue;
            if (!digito(s[j])) break;
            exp += s[j];
            expDigitos = true;
        }
        if (expDigitos) limpio += exp;
    }
    const double v = std::strtod(limpio.c_str(), nullptr);
    return std::isfinite(v) ? v : (v > 0 ? HUGE_VAL : -HUGE_VAL);
}

}  // namespace quelmar
