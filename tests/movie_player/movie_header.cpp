#include "tests/movie_player/movie_header.h"

namespace movie_player {

std::optional<MovieHeader> ReadMovieHeader(const std::uint8_t* bytes, std::size_t size) {
    if (size < 8 || bytes[1] != 'W' || bytes[2] != 'S') return std::nullopt;
    MovieHeader header;
    header.version = bytes[3];
    if (bytes[0] == 'C' || bytes[0] == 'Z') return header;
    if (bytes[0] != 'F') return std::nullopt;
    // The stage rectangle: 5 bits of field width, then four fields of that width, padded to a
    // byte. The frame rate (8.8 fixed point, little-endian) follows.
    if (size < 9) return std::nullopt;
    const unsigned bits = bytes[8] >> 3;
    const std::size_t rectBytes = (5 + 4 * bits + 7) / 8;
    const std::size_t rate = 8 + rectBytes;
    if (size < rate + 2) return std::nullopt;
    const double framesPerSecond = bytes[rate + 1] + bytes[rate] / 256.0;
    if (framesPerSecond >= 1.0 && framesPerSecond <= 120.0)
        header.framesPerSecond = framesPerSecond;
    return header;
}

}  // namespace movie_player
