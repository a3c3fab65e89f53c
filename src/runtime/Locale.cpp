#include "runtime/Locale.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "runtime/OleDate.h"

namespace quelmar {

namespace {

Locale& Actual() {
    static Locale l;
    return l;
}

std::string Dos(int v) {
    std::array<char, 16> b{};
    std::snprintf(b.data(), b.size(), "%02d", v);
    return b.data();
}

std::string_view Recortar(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// Splits on any of the separators; every piece must be 1..4 digits.
std::optional<std::vector<int>> Numeros(std::string_view s, std::string_view seps,
                                        std::vector<std::size_t>* anchos = nullptr) {
    std::vector<int> out;
    std::size_t i = 0;
    while (true) {
        std::size_t j = i;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
        if (j == i || j - i > 4) return std::nullopt;
        out.push_back(std::atoi(std::string(s.substr(i, j - i)).c_str()));
        if (anchos) anchos->push_back(j - i);
        if (j == s.size()) break;
        if (seps.find(s[j]) == std::string_view::npos) return std::nullopt;
        i = j + 1;
    }
    return out;
}

std::optional<long long> LeerHora(std::string_view s) {
    auto n = Numeros(s, ":");
    if (!n || n->size() < 2 || n->size() > 3) return std::nullopt;
    const int h = (*n)[0], m = (*n)[1], seg = n->size() == 3 ? (*n)[2] : 0;
    if (h > 23 || m > 59 || seg > 59) return std::nullopt;
    return h * 3600LL + m * 60LL + seg;
}

bool Bisiesto(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

std::optional<long long> LeerDia(std::string_view s) {
    const Locale& l = LocaleActual();
    const std::string seps = std::string("/.-") + l.separadorFecha;
    std::vector<std::size_t> anchos;
    auto n = Numeros(s, seps, &anchos);
    if (!n || n->size() != 3) return std::nullopt;
    int y, m, d;
    std::size_t anchoAnio;
    if (anchos[0] >= 3 || l.orden == Locale::Orden::AnioMesDia) {
        y = (*n)[0], m = (*n)[1], d = (*n)[2], anchoAnio = anchos[0];
    } else if (l.orden == Locale::Orden::MesDiaAnio) {
        m = (*n)[0], d = (*n)[1], y = (*n)[2], anchoAnio = anchos[2];
    } else {
        d = (*n)[0], m = (*n)[1], y = (*n)[2], anchoAnio = anchos[2];
    }
    if (anchoAnio <= 2) y += y < 30 ? 2000 : 1900;
    static constexpr std::array<int, 12> kDias{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 100 || y > 9999 || m < 1 || m > 12 || d < 1) return std::nullopt;
    const int ultimo = kDias[static_cast<std::size_t>(m - 1)] + (m == 2 && Bisiesto(y) ? 1 : 0);
    if (d > ultimo) return std::nullopt;
    return static_cast<long long>(fecha::DesdeCalendario(y, m, d));
}

}  // namespace

const Locale& LocaleActual() noexcept { return Actual(); }

void FijarLocale(Locale l) {
    if (l.separadorFecha == '-' || l.separadorFecha == '\0') l.separadorFecha = '/';
    if (l.separadorDecimal == '\0') l.separadorDecimal = ',';
    Actual() = l;
}

LocaleScope::LocaleScope(const Locale& l) : previo_(LocaleActual()) { FijarLocale(l); }
LocaleScope::~LocaleScope() { Actual() = previo_; }

std::string TextoSoloFecha(double d) {
    const fecha::Partes p = fecha::Descomponer(d);
    const Locale& l = LocaleActual();
    std::array<char, 32> b{};
    const char s = l.separadorFecha;
    switch (l.orden) {
        case Locale::Orden::DiaMesAnio:
            std::snprintf(b.data(), b.size(), "%02d%c%02d%c%04d", p.dia, s, p.mes, s, p.anio);
            break;
        case Locale::Orden::MesDiaAnio:
            std::snprintf(b.data(), b.size(), "%02d%c%02d%c%04d", p.mes, s, p.dia, s, p.anio);
            break;
        case Locale::Orden::AnioMesDia:
            std::snprintf(b.data(), b.size(), "%04d%c%02d%c%02d", p.anio, s, p.mes, s, p.dia);
            break;
    }
    return b.data();
}

std::string TextoSoloHora(double d) {
    const fecha::Partes p = fecha::Descomponer(d);
    return Dos(p.hora) + ":" + Dos(p.minuto) + ":" + Dos(p.segundo);
}

std::string TextoFecha(double d) {
    const std::int64_t s = fecha::ASegundos(d);
    const bool diaCero = s >= 0 && s < fecha::kSegundosDia;
    const bool medianoche = s % fecha::kSegundosDia == 0;
    if (diaCero) return TextoSoloHora(d);
    if (medianoche) return TextoSoloFecha(d);
    return TextoSoloFecha(d) + " " + TextoSoloHora(d);
}

std::optional<double> LeerFecha(std::string_view texto) {
    std::string_view s = Recortar(texto);
    if (s.empty()) return std::nullopt;
    const std::size_t blanco = s.find_first_of(" \t");
    std::string_view a = s.substr(0, blanco);
    std::string_view b = blanco == std::string_view::npos ? std::string_view{}
                                                           : Recortar(s.substr(blanco));
    long long dia = 0, seg = 0;
    if (b.empty()) {
        if (a.find(':') != std::string_view::npos) {
            auto h = LeerHora(a);
            if (!h) return std::nullopt;
            seg = *h;
        } else {
            auto dd = LeerDia(a);
            if (!dd) return std::nullopt;
            dia = *dd;
        }
    } else {
        auto dd = LeerDia(a);
        auto h = LeerHora(b);
        if (!dd || !h) return std::nullopt;
        dia = *dd, seg = *h;
    }
    return fecha::DesdeSegundos(dia * fecha::kSegundosDia + seg);
}

std::string TextoNumero(double x, int digitos) {
    if (std::isnan(x)) return "NaN";
    if (std::isinf(x)) return x > 0 ? "Inf" : "-Inf";
    if (x == 0) return "0";
    std::array<char, 64> b{};
    std::snprintf(b.data(), b.size(), "%.*G", digitos, x);
    std::string s = b.data();
    // %G keeps no trailing zeros in fixed form; shorten the exponent to the platform's form.
    const std::size_t e = s.find('E');
    if (e != std::string::npos) {
        std::string mant = s.substr(0, e), exp = s.substr(e + 1);
        const char signo = exp[0];
        exp = exp.substr(1);
        while (exp.size() > 2 && exp[0] == '0') exp.erase(0, 1);
        s = mant + "E" + signo + exp;
    }
    for (char& c : s)
        if (c == '.') c = LocaleActual().separadorDecimal;
    return s;
}

std::optional<double> LeerNumero(std::string_view texto) {
    std::string s(Recortar(texto));
    if (s.empty()) return std::nullopt;
    for (char& c : s)
        if (c == LocaleActual().separadorDecimal) c = '.';
    for (char c : s)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '+' || c == '-' ||
              c == 'e' || c == 'E'))
            return std::nullopt;
    char* fin = nullptr;
    const double v = std::strtod(s.c_str(), &fin);
    if (fin != s.c_str() + s.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

}  // namespace quelmar
