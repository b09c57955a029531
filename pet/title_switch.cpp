#include "pet/title_switch.h"

namespace ostrelpet {

namespace {

constexpr std::string_view kSwitch = "/Title:";

constexpr bool IsLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

// The end of the token that starts at `begin`: the next space that is not the trail byte of a
// double-byte character.
std::size_t TokenEnd(std::string_view text, std::size_t begin) {
    std::size_t at = begin;
    while (at < text.size() && text[at] != ' ') {
        at += IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
    }
    return at;
}

}  // namespace

std::string ParseTitleSwitch(std::string_view commandLine) {
    std::size_t begin = 0;
    while (begin <= commandLine.size()) {
        const std::size_t end = TokenEnd(commandLine, begin);
        const std::string_view token = commandLine.substr(begin, end - begin);
        if (token.substr(0, kSwitch.size()) == kSwitch) {
            return std::string(token.substr(kSwitch.size()));
        }
        begin = end + 1;
    }
    return {};
}

}  // namespace ostrelpet
