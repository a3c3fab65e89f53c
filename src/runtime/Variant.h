#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace quelmar {

// A tagged value as the classes exchange them: empty, 16-bit integer, 32-bit integer,
// single, double, date/time (an OLE date), text (bytes in the single-byte code page) or
// boolean. Conversions below raise numbered run-time errors as the platform does.
class Variant {
  public:
    enum class Tipo { Vacio, Entero, Largo, Simple, Doble, Fecha, Texto, Booleano };

    Variant() = default;
    Variant(std::int16_t v) : m_Valor(v) {}
    Variant(std::int32_t v) : m_Valor(v) {}
    Variant(float v) : m_Valor(v) {}
    Variant(double v) : m_Valor(v) {}
    Variant(bool v) : m_Valor(v) {}
    Variant(std::string v) : m_Valor(std::move(v)) {}
    Variant(const char* v) : m_Valor(std::string(v)) {}
    static Variant DeFecha(double d) {
        Variant r;
        r.m_Valor = FechaOle{d};
        return r;
    }

    Tipo tipo() const noexcept { return static_cast<Tipo>(m_Valor.index()); }
    bool EsVacio() const noexcept { return tipo() == Tipo::Vacio; }
    bool EsTexto() const noexcept { return tipo() == Tipo::Texto; }
    bool EsFecha() const noexcept { return tipo() == Tipo::Fecha; }

    // Raw access; the caller has checked the tag.
    const std::string& texto() const { return std::get<std::string>(m_Valor); }
    double fecha() const { return std::get<FechaOle>(m_Valor).d; }

    friend bool operator==(const Variant& a, const Variant& b) { return a.m_Valor == b.m_Valor; }

  private:
    struct FechaOle {
        double d;
        friend bool operator==(const FechaOle& a, const FechaOle& b) { return a.d == b.d; }
    };
    std::variant<std::monostate, std::int16_t, std::int32_t, float, double, FechaOle, std::string,
                 bool>
        m_Valor;
    friend double ADobleBruto(const Variant& v);
    friend bool ABooleanoBruto(const Variant& v);
};

// Ordinary conversion to text: a text stays; numbers in the locale (0.5 -> "0,5" with a
// decimal comma); a date/time in its general form; empty -> ""; booleans "True"/"False".
std::string CStr(const Variant& v);
// To a date/time: a date stays; a number is an OLE date value; a text is read as a date or
// time in the locale; empty -> 0. Error 13 when a text does not convert, 6 when the value
// lies outside the range of dates.
double CDate(const Variant& v);
// Whether a value reads as a date: a date, or a text that converts. Numbers never do.
bool IsDate(const Variant& v);
// To a double: numbers, dates (their serial value), booleans (-1/0), texts read in the
// locale; empty -> 0; error 13 for a text that is no number.
double CDbl(const Variant& v);
// To 16/32-bit integers: halves to even, error 6 out of range, 13 for a non-number text.
std::int16_t CInt(const Variant& v);
std::int32_t CLng(const Variant& v);

}  // namespace quelmar
