#include "pet/two_pass_alpha.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace ostrelpet {
namespace {

// A pixel in the buffers' byte order: blue, green, red, alpha.
std::vector<std::uint8_t> Pixel(std::uint8_t b, std::uint8_t g, std::uint8_t r,
                                std::uint8_t a = 0) {
    return {b, g, r, a};
}

TEST(TwoPassAlpha, FiguresOfTheRule) {
    struct Case {
        std::vector<std::uint8_t> black, white;
        std::uint8_t alpha;
    } cases[] = {
        {Pixel(10, 200, 77), Pixel(10, 200, 77), 255},  // drawn alike: opaque
        {Pixel(0, 0, 0), Pixel(255, 255, 255), 0},      // both backgrounds show: clear
        {Pixel(40, 50, 60), Pixel(70, 80, 90), 225},    // differences of 30
        {Pixel(0, 0, 0), Pixel(1, 1, 0), 255},          // 2 / 3 rounds down
        {Pixel(0, 0, 0), Pixel(1, 1, 1), 254},
        {Pixel(200, 0, 0), Pixel(10, 0, 0), 255 - 66 / 3},  // 10 - 200 wraps to 66
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TwoPassAlpha(c.black.data(), c.white.data()), c.alpha);
    }
}

// Any two renders, also ones no player would make (white darker than black): the whole-buffer
// pass (four pixels at a time, then the rest one by one) writes the per-pixel rule's alpha into
// the black render and changes nothing else.
TEST(TwoPassAlpha, MergeWritesOnlyTheRulesAlphaOfEveryPixel) {
    const std::size_t pixels = 4099;
    std::vector<std::uint8_t> black(pixels * 4), white(pixels * 4);
    std::uint32_t seed = 12345;
    for (std::size_t i = 0; i < pixels * 4; ++i) {
        seed = seed * 1103515245u + 12345u;
        black[i] = static_cast<std::uint8_t>(seed >> 16);
        white[i] = static_cast<std::uint8_t>(seed >> 24);
    }
    const std::vector<std::uint8_t> whiteBefore = white;
    std::vector<std::uint8_t> expected = black;
    for (std::size_t i = 0; i < pixels; ++i) {
        expected[i * 4 + 3] = TwoPassAlpha(&black[i * 4], &white[i * 4]);
    }
    MergeTwoPassAlpha(black.data(), white.data(), pixels);
    EXPECT_EQ(black, expected);
    EXPECT_EQ(white, whiteBefore);
}

}  // namespace
}  // namespace ostrelpet
