#include "pet/two_pass_alpha.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

namespace {

// One pixel; bytes in memory order blue, green, red, alpha (a little-endian 32-bit load).
inline void MergePixel(std::uint8_t* black, const std::uint8_t* white) {
    std::uint32_t b;
    std::uint32_t w;
    std::memcpy(&b, black, 4);
    std::memcpy(&w, white, 4);
    const std::uint32_t alpha = 255 - BackgroundSum(b, w) / 3;
    b = (b & 0x00FFFFFFu) | (alpha << 24);
    std::memcpy(black, &b, 4);
}

}  // namespace

// Four pixels at a time where SSE2 is there (every x86_64, and i686 built with it): the pass then
// costs a few times a plain copy of the frame instead of ten times.
void MergeTwoPassAlpha(std::uint8_t* black, const std::uint8_t* white, std::size_t pixels) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i colourMask = _mm_set1_epi32(0x00FFFFFF);
    const __m128i byteMask = _mm_set1_epi32(0xFF);
    // floor(d / 3) == (d * 21846) >> 16 for every d up to 765; the multiply works on the low
    // 16 bits of each 32-bit lane (the high halves are zero on both sides).
    const __m128i third = _mm_set1_epi32(21846);
    const __m128i opaque = _mm_set1_epi32(255);
    for (; i + 4 <= pixels; i += 4) {
        auto* blackAt = reinterpret_cast<__m128i*>(black + i * 4);
        const __m128i b = _mm_loadu_si128(blackAt);
        const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(white + i * 4));
        const __m128i difference = _mm_sub_epi8(w, b);  // wraps per byte
        const __m128i sum =
            _mm_add_epi32(_mm_add_epi32(_mm_and_si128(difference, byteMask),
                                        _mm_and_si128(_mm_srli_epi32(difference, 8), byteMask)),
                          _mm_and_si128(_mm_srli_epi32(difference, 16), byteMask));
        const __m128i alpha = _mm_sub_epi32(opaque, _mm_mulhi_epu16(sum, third));
        _mm_storeu_si128(blackAt,
                         _mm_or_si128(_mm_and_si128(b, colourMask), _mm_slli_epi32(alpha, 24)));
    }
#endif
    for (; i < pixels; ++i) MergePixel(black + i * 4, white + i * 4);
}

}  // namespace ostrelpet
