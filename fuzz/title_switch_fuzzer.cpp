// Fuzzes the pet's command line reader: whatever the input, the title is a piece of one token of
// it (no space, never longer than the line) that follows "/Title:" in the line.
#include <cstdint>
#include <string>
#include <string_view>

#include "pet/title_switch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const std::string title = ostrelpet::ParseTitleSwitch(line);
    if (title.size() > size) __builtin_trap();
    // A space only as the second byte of a double-byte character.
    for (std::size_t i = 0; i < title.size(); ++i) {
        const auto c = static_cast<unsigned char>(title[i]);
        if (c >= 0x81 && c <= 0xFE && i + 1 < title.size()) {
            ++i;
        } else if (c == ' ') {
            __builtin_trap();
        }
    }
    if (!title.empty() && line.find("/Title:" + title) == std::string_view::npos) __builtin_trap();
    return 0;
}
