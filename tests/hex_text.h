#pragma once
// Test helper: bytes as lower-case hexadecimal, the form in which the logon server stand-in takes
// GBK names and remarks on its command line and writes them to its log.

#include <string>

namespace gatevane::testing {

inline std::string EncodeHex(const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex.push_back(kDigits[c >> 4]);
        hex.push_back(kDigits[c & 15]);
    }
    return hex;
}

}  // namespace gatevane::testing
