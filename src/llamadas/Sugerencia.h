#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quelmar::llamadas {

// The bytes of a name counted in 64 classes (letters without case, digits, the rest
// folded), each class's count up to 3 as bits of three masks: bit k of veces[j] says class
// k occurs more than j times. Two names' masks give at once a lower bound of their edit
// distance, so that most of a large catalogue is passed over without working it out.
struct Firma {
    std::array<std::uint64_t, 3> veces{};
};
Firma FirmaDe(std::string_view nombre);

// Edit distance between two names, letters compared without case.
std::size_t Distancia(std::string_view a, std::string_view b);

// "; ¿quizá «X»?" with the name of `nombres` closest to `pedido`, or nothing when none
// is: the first of the nearest names, when it is near enough. `firmas`, when given, are
// the names' (FirmaDe): a name whose bound is already too far is not measured.
std::string Sugerencia(const std::vector<std::string>& nombres, std::string_view pedido,
                       const std::vector<Firma>* firmas = nullptr);

}  // namespace quelmar::llamadas
