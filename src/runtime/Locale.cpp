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

// Writes v with at least `ancho` digits (v >= 0) and returns the position after it.
char* Digitos(char* p, int v, int ancho) {
    char tmp[12];
    int n = 0;
    do {
        tmp[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v > 0);
    while (n < ancho) tmp[n++] = '0';
    while (n > 0) *p++ = tmp[--n];
    return p;
}

std::string_view Recortar(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// Up to three numbers of 1..4 digits separated by any of the separators.
struct Numeros {
    std::array<int, 3> valor{};
    std::array<std::size_t, 3> ancho{};
    std::size_t cuantos = 0;
};

std::optional<Numeros> LeerNumeros(std::string_view s, std::string_view seps) {
    Numeros out;
    std::size_t i = 0;
    while (true) {
        if (out.cuantos == 3) return std::nullopt;
        std::size_t j = i;
        int v = 0;
        // Digits past the fourth are counted, not accumulated: a long run would overflow.
        for (; j < s.size() && s[j] >= '0' && s[j] <= '9'; ++j)
            if (j - i < 4) v = v * 10 + (s[j] - '0');
        if (j == i || j - i > 4) return std::nullopt;
        out.valor[out.cuantos] = v;
        out.ancho[out.cuantos++] = j - i;
        if (j == s.size()) break;
        if (seps.find(s[j]) == std::string_view::npos) return std::nullopt;
        i = j + 1;
    }
    return out;
}

std::optional<long long> LeerHora(std::string_view s) {
    auto n = LeerNumeros(s, ":");
    if (!n || n->cuantos < 2) return std::nullopt;
    const int h = n->valor[0], m = n->valor[1], seg = n->cuantos == 3 ? n->valor[2] : 0;
    if (h > 23 || m > 59 || seg > 59) return std::nullopt;
    return h * 3600LL + m * 60LL + seg;
}

bool Bisiesto(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

std::optional<long long> LeerDia(std::string_view s) {
    const Locale& l = LocaleActual();
    const char seps[] = {'/', '.', '-', l.separadorFecha};
    auto n = LeerNumeros(s, std::string_view(seps, sizeof seps));
    if (!n || n->cuantos != 3) return std::nullopt;
    const auto& v = n->valor;
    int y, m, d;
    std::size_t anchoAnio;
    if (n->ancho[0] >= 3 || l.orden == Locale::Orden::AnioMesDia) {
        y = v[0], m = v[1], d = v[2], anchoAnio = n->ancho[0];
    } else if (l.orden == Locale::Orden::MesDiaAnio) {
        m = v[0], d = v[1], y = v[2], anchoAnio = n->ancho[2];
    } else {
        d = v[0], m = v[1], y = v[2], anchoAnio = n->ancho[2];
    }
    if (anchoAnio <= 2) y += y < 30 ? 2000 : 1900;
    static constexpr std::array<int, 12> kDias{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 100 || y > 9999 || m < 1 || m > 12 || d < 1) return std::nullopt;
    const int ultimo = kDias[static_cast<std::size_t>(m - 1)] + (m == 2 && Bisiesto(y) ? 1 : 0);
    if (d > ultimo) return std::nullopt;
    return static_cast<long long>(fecha::DesdeCalendario(y, m, d));
}

}  // namespace

const Locale& LocaleActual() noexcept {
    return Actual();
}

void FijarLocale(Locale l) {
    if (l.separadorFecha == '-' || l.separadorFecha == '\0') l.separadorFecha = '/';
    if (l.separadorDecimal == '\0') l.separadorDecimal = ',';
    Actual() = l;
}

LocaleScope::LocaleScope(const Locale& l) : m_Previo(LocaleActual()) {
    FijarLocale(l);
}
LocaleScope::~LocaleScope() {
    Actual() = m_Previo;
}

namespace {

char* EscribirFecha(char* p, const fecha::Partes& f) {
    const Locale& l = LocaleActual();
    const char s = l.separadorFecha;
    switch (l.orden) {
        case Locale::Orden::DiaMesAnio:
            p = Digitos(p, f.dia, 2), *p++ = s, p = Digitos(p, f.mes, 2), *p++ = s;
            return Digitos(p, f.anio, 4);
        case Locale::Orden::MesDiaAnio:
            p = Digitos(p, f.mes, 2), *p++ = s, p = Digitos(p, f.dia, 2), *p++ = s;
            return Digitos(p, f.anio, 4);
        case Locale::Orden::AnioMesDia:
            p = Digitos(p, f.anio, 4), *p++ = s, p = Digitos(p, f.mes, 2), *p++ = s;
            return Digitos(p, f.dia, 2);
    }
    return p;
}

char* EscribirHora(char* p, const fecha::Partes& f) {
    p = Digitos(p, f.hora, 2), *p++ = ':', p = Digitos(p, f.minuto, 2), *p++ = ':';
    return Digitos(p, f.segundo, 2);
}

}  // namespace

std::string TextoFecha(double d) {
    const std::int64_t s = fecha::ASegundos(d);
    const fecha::Partes f = fecha::Descomponer(d);
    char b[48];
    char* p = b;
    if (s >= 0 && s < fecha::kSegundosDia) {  // day 0: the time alone
        p = EscribirHora(p, f);
    } else {
        p = EscribirFecha(p, f);
        if (s % fecha::kSegundosDia != 0) *p++ = ' ', p = EscribirHora(p, f);
    }
    return std::string(b, p);
}

std::optional<double> LeerFecha(std::string_view texto) {
    std::string_view s = Recortar(texto);
    if (s.empty()) return std::nullopt;
    const std::size_t blanco = s.find_first_of(" \t");
    std::string_view a = s.substr(0, blanco);
    std::string_view b =
        blanco == std::string_view::npos ? std::string_view{} : Recortar(s.substr(blanco));
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
