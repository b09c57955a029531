#include "launcher/common/ansi_text.h"

#include <cstring>

namespace gatevane {

std::string LowerAnsiText(std::string_view text) {
    std::string lowered(text);
    for (std::size_t i = 0; i < lowered.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(lowered[i]);
        if (IsAnsiLeadByte(c)) {
            ++i;  // the trail byte belongs to the same character
        } else if (c >= 'A' && c <= 'Z') {
            lowered[i] = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lowered;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && LowerAnsiText(a) == LowerAnsiText(b);
}

std::size_t CopyAnsiText(std::string_view text, char* out, std::size_t size) {
    if (size == 0) return 0;
    std::size_t length = 0;
    while (length < text.size()) {
        std::size_t step = IsAnsiLeadByte(static_cast<unsigned char>(text[length])) ? 2 : 1;
        if (length + step > text.size() || length + step > size - 1) break;
        length += step;
    }
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
    return length;
}

}  // namespace gatevane
