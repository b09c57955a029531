#pragma once
// Reading a small file of the program folder whole, bounded: what the launcher reads this way (its
// to-do list, the hall's key) comes from disk it does not control.

#include <cstddef>
#include <optional>
#include <string>

namespace gatevane {

// Up to `limit` + 1 bytes of the file at `path`, so that a longer file shows as such; nothing when
// it cannot be opened or read.
std::optional<std::string> ReadFileStart(const std::string& path, std::size_t limit);

}  // namespace gatevane
