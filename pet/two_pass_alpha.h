#pragma once
// Alpha for a player that cannot write it (major version 8): the frame is drawn twice, once over
// black and once over white. A pixel the player covers fully looks the same on both; one it leaves
// clear shows each background unchanged. The per-channel difference between the renders is how
// much of the background shows through:
//
//     d = (B1 - B0) + (G1 - G0) + (R1 - R0)   (each difference modulo 256)
//     alpha = 255 - floor(d / 3)
//
// The black render, over black, already holds the premultiplied colour, so only its alpha byte
// changes. Pixels are 32-bit, bytes in the order blue, green, red, alpha.

#include <cstddef>
#include <cstdint>

namespace ostrelpet {

std::uint8_t TwoPassAlpha(const std::uint8_t* blackPixel, const std::uint8_t* whitePixel);

// Writes the alpha of each of `pixels` pixels into `black`; `white` is only read.
void MergeTwoPassAlpha(std::uint8_t* black, const std::uint8_t* white, std::size_t pixels);

}  // namespace ostrelpet
