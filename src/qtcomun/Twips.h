#pragma once

namespace quelmar::qtcomun {

// Both windows were laid out in twips: 15 twips make a pixel on a standard display. A
// position that falls between two pixels goes to the nearest, halves away from zero, on
// either side of zero (Orbelle's calendar starts at -15).
inline constexpr int kTwipsPorPixel = 15;

constexpr int Pixeles(int twips) noexcept {
    const int medio = kTwipsPorPixel / 2;
    return (twips >= 0 ? twips + medio : twips - medio) / kTwipsPorPixel;
}

static_assert(Pixeles(15) == 1 && Pixeles(-15) == -1 && Pixeles(7) == 0 && Pixeles(8) == 1 &&
              Pixeles(-8) == -1 && Pixeles(4005) == 267);

}  // namespace quelmar::qtcomun
