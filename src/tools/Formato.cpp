#include "tools/Formato.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <langinfo.h>
#include <locale.h>
#include <string_view>

#include "llamadas/Instantes.h"

namespace quelmar::herramientas {

namespace {

const char* Variable(const char* categoria) {
    for (const char* v : {"LC_ALL", categoria, "LANG"})
        if (const char* s = std::getenv(v); s && *s) return s;
    return "";
}

bool SinLocale(std::string_view nombre) {
    return nombre.empty() || nombre == "C" || nombre == "POSIX" || nombre.starts_with("C.");
}

}  // namespace

Formato FormatoDelEntorno() {
    Formato f;
    if (!SinLocale(Variable("LC_NUMERIC"))) {
        if (locale_t l = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr))) {
            const std::string_view dec = ::nl_langinfo_l(RADIXCHAR, l);
            if (dec.size() == 1) f.decimal = dec[0];
            f.miles = ::nl_langinfo_l(THOUSEP, l);
            ::freelocale(l);
        }
    }
    if (!SinLocale(Variable("LC_TIME"))) {
        if (locale_t l = ::newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr))) {
            // "%d/%m/%y", "%m/%d/%Y", "%Y-%m-%d": the order of the fields and the separator.
            const std::string_view d = ::nl_langinfo_l(D_FMT, l);
            const auto pd = d.find("%d"), pm = d.find("%m"), py = d.find_first_of("yY");
            if (pd != d.npos && pm != d.npos && py != d.npos) {
                f.fechas.orden = py < pd && py < pm ? Locale::Orden::AnioMesDia
                                 : pm < pd          ? Locale::Orden::MesDiaAnio
                                                    : Locale::Orden::DiaMesAnio;
                const std::size_t p = std::min({pd, pm, py - 1}) + 2;
                // Dates never carry "-" (see Locale): it is written "/".
                if (p < d.size() && d[p] != '-' && d[p] != '%') f.fechas.separadorFecha = d[p];
            }
            ::freelocale(l);
        }
    }
    return f;
}

std::string NumeroLocal(double x, int decimales, const Formato& f) {
    std::string s = llamadas::TextoDecimal(std::fabs(x) < 5e-10 ? 0.0 : x, decimales), r;
    const auto punto = s.find('.');
    const std::size_t entera = punto == s.npos ? s.size() : punto;
    const std::size_t signo = s[0] == '-' ? 1 : 0;
    for (std::size_t i = 0; i < entera; ++i) {
        if (i > signo && (entera - i) % 3 == 0) r += f.miles;
        r += s[i];
    }
    if (punto != s.npos) r += f.decimal + s.substr(punto + 1);
    return r;
}

}  // namespace quelmar::herramientas
