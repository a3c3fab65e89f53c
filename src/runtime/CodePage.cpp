#include "runtime/CodePage.h"

#include <array>
#include <cstdint>

namespace quelmar {

namespace {

// Unicode code points of bytes 0x80..0x9F; the rest map to themselves.
constexpr std::array<char32_t, 32> kAlto = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t Punto(unsigned char b) {
    return (b >= 0x80 && b <= 0x9F) ? kAlto[b - 0x80] : char32_t{b};
}

void Codificar(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

int Byte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
    for (std::size_t i = 0; i < kAlto.size(); ++i)
        if (kAlto[i] == c) return static_cast<int>(0x80 + i);
    return -1;
}

}  // namespace

std::string Cp1252AUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char b : bytes) Codificar(Punto(static_cast<unsigned char>(b)), out);
    return out;
}

std::string Utf8ACp1252(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b0 = static_cast<unsigned char>(s[i]);
        std::size_t largo = b0 < 0x80           ? 1
                            : (b0 >> 5) == 0x6  ? 2
                            : (b0 >> 4) == 0xE  ? 3
                            : (b0 >> 3) == 0x1E ? 4
                                                : 0;
        if (largo == 0 || i + largo > s.size()) {
            out += '?';
            ++i;
            continue;
        }
        char32_t c = largo == 1   ? b0
                     : largo == 2 ? (b0 & 0x1F)
                     : largo == 3 ? (b0 & 0x0F)
                                  : (b0 & 0x07);
        bool valido = true;
        for (std::size_t k = 1; k < largo; ++k) {
            const auto bk = static_cast<unsigned char>(s[i + k]);
            if ((bk & 0xC0) != 0x80) {
                valido = false;
                break;
            }
            c = (c << 6) | (bk & 0x3F);
        }
        if (!valido) {
            out += '?';
            ++i;
            continue;
        }
        const int b = Byte(c);
        out += b < 0 ? '?' : static_cast<char>(b);
        i += largo;
    }
    return out;
}

std::optional<std::string> Utf8ACp1252Exacto(std::string_view utf8) {
    std::string bytes = Utf8ACp1252(utf8);
    if (Cp1252AUtf8(bytes) != utf8) return std::nullopt;
    return bytes;
}

}  // namespace quelmar
