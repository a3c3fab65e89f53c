#include "llamadas/Instantes.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "runtime/Locale.h"
#include "runtime/OleDate.h"
#include "time/cTiempo.h"

namespace quelmar::llamadas {

namespace {

using namespace std::chrono;

// Exactly `n` digits at s[pos].
std::optional<int> Digitos(std::string_view s, std::size_t pos, std::size_t n) {
    if (pos + n > s.size()) return std::nullopt;
    int v = 0;
    for (std::size_t i = pos; i < pos + n; ++i) {
        if (s[i] < '0' || s[i] > '9') return std::nullopt;
        v = v * 10 + (s[i] - '0');
    }
    return v;
}

// Seconds on fecha::ASegundos's scale of a valid calendar day; nothing otherwise.
std::optional<std::int64_t> SegundosDiaSinRecordar(std::string_view s) {
    if (s.size() != 10 || s[4] != '-' || s[7] != '-') return std::nullopt;
    const auto a = Digitos(s, 0, 4), m = Digitos(s, 5, 2), d = Digitos(s, 8, 2);
    if (!a || !m || !d || *a < 100) return std::nullopt;
    const year_month_day ymd{year{*a}, month{static_cast<unsigned>(*m)},
                             day{static_cast<unsigned>(*d)}};
    if (!ymd.ok()) return std::nullopt;
    return fecha::ASegundos(fecha::DesdeCalendario(*a, *m, *d));
}

// The last day read is remembered: a log's calls come day after day, many on each.
std::optional<std::int64_t> SegundosDia(std::string_view s) {
    thread_local std::string ultimoTexto;
    thread_local std::optional<std::int64_t> ultimo;
    if (s != ultimoTexto) {
        ultimo = SegundosDiaSinRecordar(s);
        ultimoTexto.assign(s);
    }
    return ultimo;
}

// HH:MM:SS, two digits each, a time of day.
std::optional<std::int64_t> SegundosHora(std::string_view s) {
    if (s.size() != 8 || s[2] != ':' || s[5] != ':') return std::nullopt;
    const auto h = Digitos(s, 0, 2), m = Digitos(s, 3, 2), x = Digitos(s, 6, 2);
    if (!h || !m || !x || *h > 23 || *m > 59 || *x > 59) return std::nullopt;
    return *h * 3600 + *m * 60 + *x;
}

}  // namespace

std::optional<double> LeerInstante(std::string_view s) {
    if (s.size() != 19 || (s[10] != 'T' && s[10] != ' ')) return std::nullopt;
    const auto d = SegundosDia(s.substr(0, 10));
    const auto h = SegundosHora(s.substr(11));
    if (!d || !h) return std::nullopt;
    const double r = fecha::DesdeSegundos(*d + *h);
    // The engine's range of dates (its first day is partly outside it).
    if (!fecha::EsValida(r)) return std::nullopt;
    return r;
}

namespace {

// A number of 1 to `maximo` digits at s[pos], pos moved past it.
std::optional<int> Numero(std::string_view s, std::size_t& pos, std::size_t maximo) {
    std::size_t n = 0;
    int v = 0;
    while (pos < s.size() && n < maximo && s[pos] >= '0' && s[pos] <= '9')
        v = v * 10 + (s[pos++] - '0'), ++n;
    if (n == 0 || (pos < s.size() && s[pos] >= '0' && s[pos] <= '9')) return std::nullopt;
    return v;
}

}  // namespace

std::optional<double> LeerInstanteLocal(std::string_view s) {
    const Locale& l = LocaleActual();
    if (l.orden == Locale::Orden::AnioMesDia) return std::nullopt;
    std::size_t p = 0;
    const auto a = Numero(s, p, 2);
    if (!a || p >= s.size() || (s[p] != '/' && s[p] != l.separadorFecha)) return std::nullopt;
    const char sep = s[p++];
    const auto b = Numero(s, p, 2);
    if (!b || p >= s.size() || s[p++] != sep) return std::nullopt;
    const std::size_t inicioAnio = p;
    const auto anio = Numero(s, p, 4);
    if (!anio || p - inicioAnio != 4 || *anio < 100) return std::nullopt;
    const int dia = l.orden == Locale::Orden::DiaMesAnio ? *a : *b;
    const int mes = l.orden == Locale::Orden::DiaMesAnio ? *b : *a;
    const year_month_day ymd{year{*anio}, month{static_cast<unsigned>(mes)},
                             day{static_cast<unsigned>(dia)}};
    if (!ymd.ok()) return std::nullopt;
    std::int64_t segundos = 0;
    if (p < s.size()) {
        if (s[p] != ' ') return std::nullopt;
        while (p < s.size() && s[p] == ' ') ++p;
        const auto h = Numero(s, p, 2);
        if (!h || p >= s.size() || s[p++] != ':') return std::nullopt;
        const auto m = Digitos(s, p, 2);
        p += 2;
        std::optional<int> x = 0;
        if (p < s.size() && s[p] == ':') {
            x = Digitos(s, p + 1, 2);
            p += 3;
        }
        if (!m || !x || p != s.size() || *h > 23 || *m > 59 || *x > 59) return std::nullopt;
        segundos = *h * 3600 + *m * 60 + *x;
    }
    const double r =
        fecha::DesdeSegundos(fecha::ASegundos(fecha::DesdeCalendario(*anio, mes, dia)) + segundos);
    if (!fecha::EsValida(r)) return std::nullopt;
    return r;
}

bool FormaDeInstante(std::string_view s) {
    static constexpr std::string_view kForma = "0000-00-00T00:00:00";
    if (s.size() != kForma.size()) return false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const bool ok = kForma[i] == '0' ? s[i] >= '0' && s[i] <= '9'
                        : i == 10        ? s[i] == 'T' || s[i] == ' '
                                         : s[i] == kForma[i];
        if (!ok) return false;
    }
    return true;
}

std::optional<double> LeerDia(std::string_view s) {
    const auto d = SegundosDia(s);
    if (!d) return std::nullopt;
    return fecha::DesdeSegundos(*d);
}

std::optional<double> LeerDiaOInstante(std::string_view s) {
    return s.size() == 10 ? LeerDia(s) : LeerInstante(s);
}

std::optional<double> LeerHora(std::string_view s) {
    const auto p1 = s.find(':');
    if (p1 == std::string_view::npos || p1 == 0 || p1 > 2) return std::nullopt;
    const auto h = Digitos(s, 0, p1);
    const auto m = Digitos(s, p1 + 1, 2);
    if (!h || !m || *h > 23 || *m > 59) return std::nullopt;
    int x = 0;
    if (s.size() != p1 + 3) {
        if (s.size() != p1 + 6 || s[p1 + 3] != ':') return std::nullopt;
        const auto sx = Digitos(s, p1 + 4, 2);
        if (!sx || *sx > 59) return std::nullopt;
        x = *sx;
    }
    return fecha::DesdeHora(*h, *m, x);
}

std::optional<std::int32_t> LeerDuracion(std::string_view s) {
    const auto p1 = s.find(':');
    if (p1 == std::string_view::npos || p1 == 0 || p1 > 5 || s.size() != p1 + 6 || s[p1 + 3] != ':')
        return std::nullopt;
    const auto h = Digitos(s, 0, p1), m = Digitos(s, p1 + 1, 2), x = Digitos(s, p1 + 4, 2);
    if (!h || !m || !x || *h > cTiempo::kHorasMaximas || *m > 59 || *x > 59) return std::nullopt;
    return *h * 3600 + *m * 60 + *x;
}

bool Antes(double a, double b) {
    return fecha::SegundosEntre(a, b) > 0;
}

std::string TextoInstante(double d) {
    std::string r;
    AnadirInstante(r, d);
    return r;
}

void AnadirInstante(std::string& salida, double d) {
    // Digits by hand, the day's part remembered from the last instant of the same day:
    // costear writes two instants a call, and printf was a quarter of its time.
    thread_local std::int64_t ultimoDia = INT64_MIN;
    thread_local std::string ultimoTexto = "0000-00-00T00:00:00";
    auto poner = [](std::string& r, std::size_t fin, int v) {
        for (std::size_t i = fin; v > 0; --i, v /= 10) r[i] = static_cast<char>('0' + v % 10);
    };
    const std::int64_t s = fecha::ASegundos(d);
    const std::int64_t dia = fecha::DiaDeSegundos(s);
    if (dia != ultimoDia) {
        const fecha::Partes p = fecha::Descomponer(d);
        if (p.anio >= 0 && p.anio <= 9999) {
            ultimoTexto = "0000-00-00T00:00:00";
            poner(ultimoTexto, 3, p.anio);
            poner(ultimoTexto, 6, p.mes);
            poner(ultimoTexto, 9, p.dia);
            ultimoDia = dia;
        }
    }
    if (dia == ultimoDia) {
        const std::int32_t x = fecha::SegundoDelDia(s);
        const std::size_t ini = salida.size();
        salida += ultimoTexto;  // its time part is 00:00:00
        auto poner2 = [&salida, ini](std::size_t pos, int v) {
            salida[ini + pos - 1] = static_cast<char>('0' + v / 10);
            salida[ini + pos] = static_cast<char>('0' + v % 10);
        };
        poner2(12, x / 3600);
        poner2(15, x / 60 % 60);
        poner2(18, x % 60);
        return;
    }
    const fecha::Partes p = fecha::Descomponer(d);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", p.anio, p.mes, p.dia, p.hora,
                  p.minuto, p.segundo);
    salida += buf;
}

std::string TextoDiaOInstante(double d) {
    const std::string t = TextoInstante(d);
    return t.ends_with("T00:00:00") ? t.substr(0, 10) : t;
}

std::string TextoHora(double d) {
    return TextoInstante(d).substr(11);
}

std::string TextoDuracion(std::int64_t s) {
    const bool negativo = s < 0;
    const std::uint64_t a =
        negativo ? 0 - static_cast<std::uint64_t>(s) : static_cast<std::uint64_t>(s);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%s%02llu:%02llu:%02llu", negativo ? "-" : "",
                  static_cast<unsigned long long>(a / 3600),
                  static_cast<unsigned long long>(a / 60 % 60),
                  static_cast<unsigned long long>(a % 60));
    return buf;
}

std::string TextoImporte(float x) {
    std::string r;
    AnadirImporte(r, x);
    return r;
}

namespace {

// The text of an amount with no more than six decimals, the way std::to_chars writes it,
// or false. Amounts are prices per minute charged by the second; the general search for
// the shortest form takes longer.
bool AnadirImporteCorto(std::string& salida, float x) {
    if (!(std::fabs(x) < 16777216.0f) || (x == 0 && std::signbit(x))) return false;
    // x is written with d decimals when r / 10^d, r the nearest integer to x * 10^d, reads
    // back as x: when it lies strictly inside the interval of reals that round to x. All
    // of it is exact in double: x, half its spacing, and their multiples by 10^d (24 + 1
    // + 20 bits at most).
    const double v = x, medio = (static_cast<double>(std::nextafter(x, INFINITY)) - v) / 2;
    const double medioAbajo = (v - static_cast<double>(std::nextafter(x, -INFINITY))) / 2;
    for (int d = 0, escala = 1; d <= 6; ++d, escala *= 10) {
        const double r = std::nearbyint(v * escala);
        // Halfway between two such texts, which one is written is to_chars' to say.
        if (std::fabs(v * escala - r) == 0.5) return false;
        if (!(r > (v - medioAbajo) * escala && r < (v + medio) * escala)) continue;
        char b[32];
        auto [fin, ec] = std::to_chars(b, b + sizeof b, static_cast<std::int64_t>(std::fabs(r)));
        std::size_t n = static_cast<std::size_t>(fin - b);
        if (x < 0) salida += '-';
        if (d > 0) {
            // At least one digit before the point: 5 with two decimals is 0.05.
            const std::string_view cifras(b, n);
            const std::size_t enteras = n > static_cast<std::size_t>(d) ? n - d : 0;
            salida += enteras ? cifras.substr(0, enteras) : "0";
            salida += '.';
            salida.append(static_cast<std::size_t>(d) - (n - enteras), '0');
            salida += cifras.substr(enteras);
        } else {
            salida.append(b, n);
        }
        return true;
    }
    return false;
}

}  // namespace

void AnadirImporte(std::string& salida, float x) {
    if (AnadirImporteCorto(salida, x)) return;
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed);
    salida.append(buf, r.ptr);
}

void AnadirDecimal(std::string& salida, double x, int decimales) {
    char b[512];
    const auto r = decimales < 0
                       ? std::to_chars(b, b + sizeof b, x, std::chars_format::fixed)
                       : std::to_chars(b, b + sizeof b, x, std::chars_format::fixed, decimales);
    salida.append(b, r.ec == std::errc{} ? r.ptr : b);
}

std::string TextoDecimal(double x, int decimales) {
    std::string r;
    AnadirDecimal(r, x, decimales);
    return r;
}

}  // namespace quelmar::llamadas
