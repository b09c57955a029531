#pragma once
// The checksum text of a stream read in fixed-size chunks, so files of any size are checked in
// fixed memory. The platform supplies the reads; the loop and the digest live here.

#include <cstddef>
#include <functional>
#include <string>

namespace gatevane {

// Fills up to `capacity` bytes; returns how many it read, 0 at the end, or a negative number when
// the read failed.
using ChunkReader = std::function<long(char* buffer, std::size_t capacity)>;

// 64 KiB reads give the same digest as the launcher's historical 1 KiB reads at a fraction of the
// system calls; memory stays fixed.
constexpr std::size_t kChecksumChunkSize = 64 * 1024;

// The checksum text of everything `read` yields, or the empty text ("no checksum") when a read
// fails part way: a half-read file must never pass for a checksum.
std::string StreamChecksumText(const ChunkReader& read);

}  // namespace gatevane
