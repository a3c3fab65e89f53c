#include "runtime/Texto.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace quelmar {

std::string_view RecortarEspacios(std::string_view s) noexcept {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

double NumeroInicial(std::string_view s) noexcept {
    bool hallado = false;
    return NumeroInicial(s, hallado);
}

// One pass over the text. The digits are gathered as an exact mantissa while they fit; past
// 19 significant digits they go on as text (the mantissa's digits first), and a number
// that the exact path cannot give correctly rounded goes through strtod from that text.
double NumeroInicial(std::string_view s, bool& hallado) noexcept {
    auto blanco = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
    auto digito = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = 0;
    while (i < s.size() && blanco(s[i])) ++i;
    bool negativo = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negativo = s[i++] == '-';
    std::uint64_t mantisa = 0;
    int cifras = 0, decimales = 0;
    bool hayDigitos = false, punto = false;
    std::string largo;  // the digits once they no longer fit the mantissa
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (blanco(c)) continue;
        if (digito(c)) {
            hayDigitos = true;
            if (cifras < 19) {
                if (mantisa != 0 || c != '0') ++cifras;
                mantisa = mantisa * 10 + static_cast<std::uint64_t>(c - '0');
            } else {
                if (largo.empty()) largo = std::to_string(mantisa);
                largo += c;
                cifras = 99;  // too many for the exact path
            }
            if (punto) ++decimales;
        } else if (c == '.' && !punto) {
            punto = true;
        } else {
            break;
        }
    }
    hallado = hayDigitos;
    if (!hayDigitos) return 0.0;
    // Optional exponent: E or D, a sign, digits.
    long long exponente = 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        while (j < s.size() && blanco(s[j])) ++j;
        bool expNegativo = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) expNegativo = s[j++] == '-';
        for (; j < s.size(); ++j) {
            if (blanco(s[j])) continue;
            if (!digito(s[j])) break;
            if (exponente < 100000) exponente = exponente * 10 + (s[j] - '0');
        }
        if (expNegativo) exponente = -exponente;
    }
    // Exact path: a mantissa below 2^53 scaled by a power of ten up to 10^22 is one
    // correctly rounded operation, as strtod would give.
    static constexpr double kPotencias[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const long long escala = exponente - decimales;
    if (cifras <= 19 && mantisa < (std::uint64_t{1} << 53) && escala >= -22 && escala <= 22) {
        const auto m = static_cast<double>(mantisa);
        const double v = escala < 0 ? m / kPotencias[-escala] : m * kPotencias[escala];
        return negativo ? -v : v;
    }
    // General path: the digits and the scale, to strtod.
    std::string texto = negativo ? "-" : "";
    texto += largo.empty() ? std::to_string(mantisa) : largo;
    texto += 'e';
    texto += std::to_string(escala);
    const double v = std::strtod(texto.c_str(), nullptr);
    return std::isfinite(v) ? v : (v > 0 ? HUGE_VAL : -HUGE_VAL);
}

}  // namespace quelmar
