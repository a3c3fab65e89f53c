#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace quelmar {

// A text field of exactly N characters (bytes of the single-byte code page). A shorter
// text assigned is filled with spaces on the right, a longer one is cut after N; a field
// never assigned holds N characters of code 0.
template <std::size_t N>
class TextoFijo {
  public:
    static constexpr std::size_t kAncho = N;

    void Asignar(std::string_view s) {
        const std::size_t n = s.size() < N ? s.size() : N;
        for (std::size_t i = 0; i < n; ++i) m_Bytes[i] = s[i];
        for (std::size_t i = n; i < N; ++i) m_Bytes[i] = ' ';
    }
    std::string Texto() const { return std::string(m_Bytes.data(), N); }
    const std::array<char, N>& Bytes() const noexcept { return m_Bytes; }
    std::array<char, N>& Bytes() noexcept { return m_Bytes; }

    friend bool operator==(const TextoFijo&, const TextoFijo&) = default;

  private:
    std::array<char, N> m_Bytes{};
};

// Removes leading and trailing spaces (code 32 only; NULs, tabs and others remain).
std::string_view RecortarEspacios(std::string_view s) noexcept;

// The leading number of a text: blanks (space, tab, line feed) before and inside the
// number skipped, an optional sign, digits with "." as the only decimal point and an
// optional exponent; reading stops at the first character that cannot continue the
// number. A text without one reads as 0. The one grammar of numbers in stored texts: the
// second form also says whether a number was found (a digit before the first character
// that cannot continue one), so no caller scans the text again.
double NumeroInicial(std::string_view s) noexcept;
double NumeroInicial(std::string_view s, bool& hallado) noexcept;

}  // namespace quelmar
