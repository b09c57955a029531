#pragma once
// The stand-in player's movie: a round orange creature with ears, a belly and a soft shadow that
// bobs, sways and blinks, drawn in code at any size. Edges are anti-aliased (coverage from the
// distance to each shape's outline) and the shadow is half transparent, so a frame has clear,
// partly covered and opaque pixels, as a real pet movie does.

#include <cstdint>
#include <vector>

namespace movie_player {

constexpr int kFramesPerSecond = 24;

// One frame: `width` × `height` pixels, rows top-down, 32 bits each as blue, green, red, alpha
// (the colours premultiplied by alpha).
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint8_t AlphaAt(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0;
        return static_cast<std::uint8_t>(pixels[static_cast<std::size_t>(y) * width + x] >> 24);
    }
};

// Frame number `frame` of the movie at 24 frames a second, fitted into the size ("showAll":
// scaled evenly, centred).
Frame DrawCreature(int width, int height, int frame);

}  // namespace movie_player
