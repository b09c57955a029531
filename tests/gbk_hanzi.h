#pragma once
// Test helper: counting the Chinese characters of a GBK text.

#include <cstring>

namespace gatevane::testing {

// Whether two bytes form a Chinese character of GBK's hanzi areas: GB2312's (GBK/2), GBK/3 or
// GBK/4. Symbols, full-width letters and digits, and the user-defined areas fall outside.
inline bool IsGbkHanzi(unsigned char lead, unsigned char trail) {
    if (lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE) return true;
    if (trail == 0x7F) return false;
    if (lead >= 0x81 && lead <= 0xA0 && trail >= 0x40 && trail <= 0xFE) return true;
    return lead >= 0xAA && lead <= 0xFE && trail >= 0x40 && trail <= 0xA0;
}

// The number of GBK Chinese characters in `text`, or -1 when it holds anything else.
inline int CountGbkHanzi(const char* text) {
    const std::size_t length = std::strlen(text);
    if (length % 2 != 0) return -1;
    for (std::size_t i = 0; i < length; i += 2) {
        if (!IsGbkHanzi(static_cast<unsigned char>(text[i]),
                        static_cast<unsigned char>(text[i + 1]))) {
            return -1;
        }
    }
    return static_cast<int>(length / 2);
}

}  // namespace gatevane::testing
