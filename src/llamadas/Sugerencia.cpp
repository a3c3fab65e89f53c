#include "llamadas/Sugerencia.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "llamadas/Textos.h"

namespace quelmar::llamadas {

std::size_t Distancia(std::string_view a, std::string_view b) {
    auto baja = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    std::vector<std::size_t> fila(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) fila[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = fila[0];
        fila[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t arriba = fila[j];
            fila[j] = std::min({fila[j] + 1, fila[j - 1] + 1,
                                diagonal + (baja(a[i - 1]) == baja(b[j - 1]) ? 0 : 1)});
            diagonal = arriba;
        }
    }
    return fila[b.size()];
}

Firma FirmaDe(std::string_view nombre) {
    std::array<std::uint8_t, 64> cuenta{};
    for (const char ch : nombre) {
        const auto c = static_cast<unsigned char>(ch);
        const unsigned clase = c >= 'a' && c <= 'z'   ? c - 'a'
                               : c >= 'A' && c <= 'Z' ? c - 'A'
                               : c >= '0' && c <= '9' ? 26 + (c - '0')
                                                      : 36 + c % 28;
        if (cuenta[clase] < 3) ++cuenta[clase];
    }
    Firma f;
    for (std::size_t k = 0; k < 64; ++k)
        for (std::size_t j = 0; j < cuenta[k]; ++j) f.veces[j] |= std::uint64_t{1} << k;
    return f;
}

namespace {

// No more than the edit distance: each edit adds or takes away at most one occurrence of
// one class on either side (a difference of classes folded together, or of counts past 3,
// only lowers the bound).
std::size_t DistanciaMinima(const Firma& a, const Firma& b) {
    int sobranA = 0, sobranB = 0;
    for (std::size_t j = 0; j < 3; ++j) {
        sobranA += std::popcount(a.veces[j] & ~b.veces[j]);
        sobranB += std::popcount(b.veces[j] & ~a.veces[j]);
    }
    return static_cast<std::size_t>(std::max(sobranA, sobranB));
}

}  // namespace

std::string Sugerencia(const std::vector<std::string>& nombres, std::string_view pedido,
                       const std::vector<Firma>* firmas) {
    const std::size_t limite = std::max<std::size_t>(2, pedido.size() / 3);
    const Firma propia = FirmaDe(pedido);
    const std::string* mejor = nullptr;
    std::size_t dMejor = SIZE_MAX;
    for (std::size_t i = 0; i < nombres.size(); ++i) {
        // Only a name nearer than the best so far, and near enough, can change the answer.
        if (firmas && DistanciaMinima(propia, (*firmas)[i]) > std::min(dMejor - 1, limite))
            continue;
        if (const auto d = Distancia(pedido, nombres[i]); d < dMejor)
            dMejor = d, mejor = &nombres[i];
    }
    if (!mejor || dMejor > limite) return {};
    return "; ¿quizá " + Citar(*mejor) + "?";
}

}  // namespace quelmar::llamadas
