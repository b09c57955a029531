#include "launcher/update/scramble.h"

#include <cstdlib>

namespace gatevane {
namespace {

constexpr std::size_t kKeyPeriod = 5;
constexpr std::size_t kUnitLength = 4;

constexpr std::size_t PaddedLength(std::size_t length) {
    return (length + kKeyPeriod - 1) / kKeyPeriod * kKeyPeriod;
}

void PutHexByte(std::uint8_t value, char* out) {
    static const char kHexDigits[] = "0123456789abcdef";
    out[0] = kHexDigits[value >> 4];
    out[1] = kHexDigits[value & 0x0f];
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The byte written as two hexadecimal digits at `at`, or -1 when they are not both digits.
int ReadHexByte(std::string_view text, std::size_t at) {
    int high = HexDigitValue(text[at]);
    int low = HexDigitValue(text[at + 1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

}  // namespace

std::uint8_t CrtScrambleByte() {
    return static_cast<std::uint8_t>(std::rand() % 255);
}

std::uint16_t ScrambleText(std::string_view text, char* out, std::uint16_t outSize,
                           const ScrambleByteSource& nextByte) {
    if (outSize > 0) out[0] = '\0';
    if (text.size() > kMaxScrambledTextLength) return 0;

    std::uint8_t key[kKeyPeriod] = {static_cast<std::uint8_t>(text.size())};
    for (std::size_t k = 1; k < kKeyPeriod; ++k) key[k] = nextByte();

    const std::size_t units = PaddedLength(text.size());
    const std::size_t needed = kUnitLength * units + 1;
    if (outSize < needed) return static_cast<std::uint16_t>(needed);
    for (std::size_t i = 0; i < units; ++i) {
        std::uint8_t plain = i < text.size() ? static_cast<std::uint8_t>(text[i]) : nextByte();
        std::uint8_t k = key[i % kKeyPeriod];
        PutHexByte(k, out + kUnitLength * i);
        PutHexByte(static_cast<std::uint8_t>(k ^ plain), out + kUnitLength * i + 2);
    }
    out[kUnitLength * units] = '\0';
    return static_cast<std::uint16_t>(kUnitLength * units);
}

std::uint16_t UnscrambleText(std::string_view scrambled, char* out, std::uint16_t outSize) {
    if (outSize > 0) out[0] = '\0';
    if (scrambled.size() < kKeyPeriod * kUnitLength) return 0;

    const int length = ReadHexByte(scrambled, 0);
    if (length < 0) return 0;
    const std::size_t plainLength = static_cast<std::size_t>(length);
    if (scrambled.size() != PaddedLength(plainLength) * kUnitLength) return 0;
    if (outSize == 0 || plainLength > std::size_t(outSize) - 1) {
        return static_cast<std::uint16_t>(plainLength);
    }

    for (std::size_t i = 0; i < plainLength; ++i) {
        int key = ReadHexByte(scrambled, kUnitLength * i);
        int mixed = ReadHexByte(scrambled, kUnitLength * i + 2);
        if (key < 0 || mixed < 0) {
            out[0] = '\0';
            return 0;
        }
        out[i] = static_cast<char>(key ^ mixed);
    }
    out[plainLength] = '\0';
    return static_cast<std::uint16_t>(plainLength);
}

}  // namespace gatevane
