#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gatevane {

// The longest path the launcher builds, terminator included (the Windows path limit).
constexpr std::size_t kPathCapacity = 260;

// Copies the folder of the running executable, without trailing separator, into `out` (at most
// size - 1 characters and a terminator). Always returns true.
bool GetProgramFolder(char* out, std::uint16_t size);

// The program folder followed by `tail` (a separator, `\` or `/`, and a name), cut to the path
// limit as every path of the launcher is.
std::string ProgramFolderPath(std::string_view tail);

}  // namespace gatevane
