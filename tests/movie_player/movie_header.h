#pragma once
// What the stand-in player reads of a movie file: the header of an SWF file ("FWS", uncompressed,
// or "CWS"/"ZWS", compressed, whose stage and rate lie inside the compressed part and are taken as
// the usual 24 frames a second), enough to refuse a file that is no movie and to play at the
// movie's own frame rate.

#include <cstddef>
#include <cstdint>
#include <optional>

namespace movie_player {

struct MovieHeader {
    int version = 0;
    double framesPerSecond = 24.0;
};

// Nullopt when `bytes` (the file's first `size` bytes) do not begin an SWF movie.
std::optional<MovieHeader> ReadMovieHeader(const std::uint8_t* bytes, std::size_t size);

}  // namespace movie_player
