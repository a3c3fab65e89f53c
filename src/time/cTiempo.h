#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/Variant.h"

namespace quelmar {

// A duration or clock time held as hours, minutes and seconds (16-bit each, hours not
// limited to 23). The value it stands for is its total in seconds; comparisons look only
// at that total. Parts are kept as read by Valor(s) (not normalised: 1:75:90 stays so);
// Sumar, Restar and ConvTiempo leave every part with the sign of the total and minutes
// and seconds in -59..59. Overflow raises run-time error 6.
class cTiempo {
  public:
    cTiempo() = default;

    // The hours are 16-bit: the longest time ConvTiempo holds (positive) is 32767:59:59.
    static constexpr std::int16_t kHorasMaximas = INT16_MAX;
    static constexpr std::int32_t kSegundosMaximos = kHorasMaximas * 3600 + 59 * 60 + 59;

    // Parses "h:m:s" leniently: each part is the leading number of its piece, halves to
    // even, error 6 outside -32768..32767. Parts are stored one after another, so a part
    // that fails leaves the earlier ones with their new values. A text without ":" gives
    // the same number for hours and minutes ("5" is 5:5:0).
    void Valor(std::string_view s);
    // "#00:00:00" with the sign inside each part: 5,7,9 -> "05:07:09"; 0,-30,0 -> "00:-30:00".
    std::string Valor() const;

    // Adds a time text, a date/time (its time of day; the day part is ignored) or another
    // time value. Error 6 when the total leaves 32 bits or its hours leave 16 bits; the
    // value is then unchanged. Any other kind of Variant is error 13.
    void Sumar(std::string_view s);
    void Sumar(const char* s) { Sumar(std::string_view(s)); }
    void Sumar(const std::string& s) { Sumar(std::string_view(s)); }
    void Sumar(const Variant& v);
    void Sumar(const cTiempo& t);
    // A bare number is no time: a date/time comes as Variant::DeFecha(d).
    void Sumar(double) = delete;

    // Subtracts, with the same arguments and errors as Sumar.
    void Restar(std::string_view s);
    void Restar(const char* s) { Restar(std::string_view(s)); }
    void Restar(const std::string& s) { Restar(std::string_view(s)); }
    void Restar(const Variant& v);
    void Restar(const cTiempo& t);
    void Restar(double) = delete;

    void Iniciar() noexcept;
    // 3600 h + 60 m + s; cannot overflow 32 bits since every part fits 16 bits.
    std::int32_t ConvSegundos() const noexcept;
    // Splits seconds into parts truncating toward zero; error 6 (value unchanged) when the
    // hours do not fit 16 bits.
    void ConvTiempo(std::int32_t l3);

    bool EstaVacio() const noexcept { return ConvSegundos() == 0; }
    // Compare the total with that of a time text (parsed as Valor(s) does).
    bool EsMayor(std::string_view sT) const;
    bool EsMenor(std::string_view sT) const;
    bool EsIgual(std::string_view sT) const;

  private:
    std::int16_t m_Horas = 0;
    std::int16_t m_Minutos = 0;
    std::int16_t m_Segundos = 0;
};

}  // namespace quelmar
