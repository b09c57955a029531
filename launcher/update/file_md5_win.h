#pragma once

#include <string>

namespace gatevane {

// The checksum text (32 lowercase hexadecimal characters) of the file at `path`, or the empty text
// when the file cannot be opened or read. The file is opened for reading with other readers denied
// and writers allowed, and streamed in fixed-size chunks.
std::string FileMd5Hex(const char* path);

}  // namespace gatevane
