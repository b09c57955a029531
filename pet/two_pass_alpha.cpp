#include "pet/two_pass_alpha.h"

#include <cstring>

namespace ostrelpet {

namespace {

// The background's share of a pixel, 0 to 765; differences wrap like unsigned bytes.
inline unsigned BackgroundSum(std::uint32_t black, std::uint32_t white) {
    const unsigned blue = static_cast<std::uint8_t>(white - black);
    const unsigned green = static_cast<std::uint8_t>((white >> 8) - (black >> 8));
    const unsigned red = static_cast<std::uint8_t>((white >> 16) - (black >> 16));
    return blue + green + red;
}

}  // namespace

std::uint8_t TwoPassAlpha(const std::uint8_t* blackPixel, const std::uint8_t* whitePixel) {
    unsigned sum = 0;
    for (int channel = 0; channel < 3; ++channel) {
        sum += static_cast<std::uint8_t>(whitePixel[channel] - blackPixel[channel]);
    }
    return static_cast<std::uint8_t>(255 - sum / 3);
}

// Whole pixels at a time: the loop compiles to a few instructions per pixel and no byte-wise
// stores but the alpha's.
void MergeTwoPassAlpha(std::uint8_t* black, const std::uint8_t* white, std::size_t pixels) {
    for (std::size_t i = 0; i < pixels; ++i) {
        std::uint32_t b;
        std::uint32_t w;
        std::memcpy(&b, black + i * 4, 4);
        std::memcpy(&w, white + i * 4, 4);
        const std::uint32_t alpha = 255 - BackgroundSum(b, w) / 3;
        b = (b & 0x00FFFFFFu) | (alpha << 24);
        std::memcpy(black + i * 4, &b, 4);
    }
}

}  // namespace ostrelpet
