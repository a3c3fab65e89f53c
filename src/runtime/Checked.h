#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "runtime/RuntimeError.h"

namespace quelmar {

static_assert(sizeof(std::int16_t) == 2 && sizeof(std::int32_t) == 4);

// Integer conversions and arithmetic that raise error 6 instead of wrapping.

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
inline double RedondeoBancario(double x) {
    return std::nearbyint(x);
}

// What overflowed, for the message: "40000 no cabe en un entero de 16 bits".
[[noreturn]] inline void LanzarNoCabe(double v, int bits) {
    char b[64];
    std::snprintf(b, sizeof b, "%.15g no cabe en un entero de %d bits", v, bits);
    Lanzar(kDesbordamiento, b);
}

template <typename Int>
Int ComprobarRango(long long v) {
    if (v < std::numeric_limits<Int>::min() || v > std::numeric_limits<Int>::max())
        LanzarNoCabe(static_cast<double>(v), std::numeric_limits<Int>::digits + 1);
    return static_cast<Int>(v);
}

// A double to a 16/32-bit integer, halves to even; NaN and out-of-range values overflow.
template <typename Int>
Int ARedondeado(double x) {
    const double r = RedondeoBancario(x);
    if (!(r >= static_cast<double>(std::numeric_limits<Int>::min()) &&
          r <= static_cast<double>(std::numeric_limits<Int>::max())))
        LanzarNoCabe(x, std::numeric_limits<Int>::digits + 1);
    return static_cast<Int>(r);
}

inline std::int16_t A16(long long v) {
    return ComprobarRango<std::int16_t>(v);
}
inline std::int32_t A32(long long v) {
    return ComprobarRango<std::int32_t>(v);
}
inline std::int16_t CInt(double x) {
    return ARedondeado<std::int16_t>(x);
}
inline std::int32_t CLng(double x) {
    return ARedondeado<std::int32_t>(x);
}

inline std::int16_t Sumar16(std::int16_t a, std::int16_t b) {
    return A16(static_cast<long long>(a) + b);
}
inline std::int32_t Sumar32(std::int32_t a, std::int32_t b) {
    return A32(static_cast<long long>(a) + b);
}
inline std::int32_t Restar32(std::int32_t a, std::int32_t b) {
    return A32(static_cast<long long>(a) - b);
}
inline std::int32_t Multiplicar32(std::int32_t a, std::int32_t b) {
    return A32(static_cast<long long>(a) * b);
}

}  // namespace quelmar
