#include "llamadas/Csv.h"

#include <cstdio>

#include "runtime/CodePage.h"

namespace quelmar::llamadas {

namespace {
bool EsBlanco(char c) {
    return c == ' ' || c == '\t';
}
}  // namespace

std::optional<std::string> PartirCsv(std::string_view s, char sep,
                                     std::vector<std::string>& campos) {
    // The strings already in `campos` are reused: a log of calls is split line after line.
    std::size_t usados = 0;
    auto fallo = [&](const char* motivo) {
        campos.resize(usados - 1);
        return std::optional<std::string>(motivo);
    };
    const std::size_t n = s.size();
    std::size_t i = 0;
    while (true) {
        std::size_t j = i;
        while (j < n && EsBlanco(s[j])) ++j;
        if (usados == campos.size()) campos.emplace_back();
        std::string& campo = campos[usados++];
        campo.clear();
        if (j < n && s[j] == '"') {
            ++j;
            // The text up to each quote in one step: a PBX's records quote every field.
            while (true) {
                const std::size_t q = s.find('"', j);
                if (q == std::string_view::npos) return fallo("unas comillas no se cierran");
                campo.append(s.substr(j, q - j));
                j = q;
                if (j + 1 < n && s[j + 1] == '"') {
                    campo += '"';
                    j += 2;
                    continue;
                }
                ++j;
                break;
            }
            while (j < n && EsBlanco(s[j])) ++j;
            if (j < n && s[j] != sep) return fallo("hay texto tras unas comillas de cierre");
            i = j;
        } else {
            std::size_t k = s.find(sep, i);
            if (k == std::string_view::npos) k = n;
            campo.assign(s.substr(i, k - i));
            i = k;
        }
        if (i >= n) break;
        ++i;  // the separator
    }
    campos.resize(usados);
    return std::nullopt;
}

std::vector<RegistroCsv> RegistrosCsv(std::string_view texto) {
    std::vector<RegistroCsv> r;
    RecorrerCsv(texto, [&](const RegistroCsv& reg) { r.push_back(reg); });
    return r;
}

namespace {

// "-5", "+1.5": a spreadsheet takes it as the number it is, nothing runs.
bool EsNumeroSimple(std::string_view s) {
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) s.remove_prefix(1);
    const auto punto = s.find('.');
    const std::string_view enteros = s.substr(0, punto);
    const std::string_view decimales =
        punto == std::string_view::npos ? std::string_view() : s.substr(punto + 1);
    auto cifras = [](std::string_view t) {
        return t.find_first_not_of("0123456789") == std::string_view::npos;
    };
    return !enteros.empty() && cifras(enteros) && cifras(decimales) &&
           (punto == std::string_view::npos || !decimales.empty());
}

}  // namespace

std::string SinFormula(std::string celda) {
    if (celda.empty() || std::string_view("=+-@").find(celda[0]) == std::string_view::npos ||
        EsNumeroSimple(celda))
        return celda;
    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto c = static_cast<unsigned char>(celda[0]);
    return std::string{'\\', 'x', kHex[c >> 4], kHex[c & 15]} + celda.substr(1);
}

std::string CeldaCsv(std::string_view campo, char sep) {
    const bool comillas =
        campo.find_first_of(std::string{sep, '"', '\n', '\r'}) != std::string_view::npos ||
        (!campo.empty() && (EsBlanco(campo.front()) || EsBlanco(campo.back())));
    if (!comillas) return std::string(campo);
    std::string r = "\"";
    for (char c : campo) {
        if (c == '"') r += '"';
        r += c;
    }
    r += '"';
    return r;
}

bool EscapaByte(unsigned char c) {
    return c < 0x20 || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

std::string Escapar(std::string_view bytes) {
    std::string r;
    r.reserve(bytes.size() + 8);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == '\\') {
            r += "\\\\";
        } else if (EscapaByte(c)) {
            char buf[5];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            r += buf;
        } else if (c < 0x80) {
            r += ch;
        } else {
            r += Cp1252AUtf8(std::string_view(&ch, 1));
        }
    }
    return r;
}

std::string TextoVisible(std::string_view bytes) {
    const auto ini = bytes.find_first_not_of(' ');
    if (ini == std::string_view::npos) return {};
    if (bytes.find_first_not_of('\0') == std::string_view::npos) return {};
    const auto fin = bytes.find_last_not_of(' ');
    return Escapar(bytes.substr(ini, fin - ini + 1));
}

std::string CeldaTarifa(std::string_view bytes) {
    return CeldaCsv(SinFormula(TextoVisible(bytes)));
}

std::string TextoSeguro(std::string_view t) {
    std::string r;
    r.reserve(t.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        const auto c = static_cast<unsigned char>(t[i]);
        unsigned control = 256;
        if (c < 0x20 || c == 0x7F) control = c;
        // U+0080 to U+009F, written C2 80 to C2 9F.
        if (c == 0xC2 && i + 1 < t.size() && static_cast<unsigned char>(t[i + 1]) < 0xA0 &&
            static_cast<unsigned char>(t[i + 1]) >= 0x80)
            control = static_cast<unsigned char>(t[++i]);
        if (control == 256) {
            r += t[i];
            continue;
        }
        char b[5];
        std::snprintf(b, sizeof b, "\\x%02X", control);
        r += b;
    }
    return r;
}

}  // namespace quelmar::llamadas
