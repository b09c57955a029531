#pragma once
// Texts in the system's ANSI code page (936, GBK): a byte of 0x81..0xFE starts a two-byte
// character whose trail byte may fall in the ASCII range, so byte-wise text rules must step over
// it.

#include <cstddef>
#include <string>
#include <string_view>

namespace gatevane {

constexpr bool IsAnsiLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

// `text` with its ASCII letters lowered; double-byte characters stay whole.
std::string LowerAnsiText(std::string_view text);

// Equal but for the case of ASCII letters (how process file names are compared).
bool EqualIgnoringCase(std::string_view a, std::string_view b);

// Copies `text` into a zero-terminated buffer of `size` bytes, cut to fit but never in the middle
// of a double-byte character. Returns the number of bytes copied.
std::size_t CopyAnsiText(std::string_view text, char* out, std::size_t size);

}  // namespace gatevane
