#pragma once
// The launcher's self-keyed hexadecimal scrambling of short texts (lobby command lines, stored
// passwords, server addresses). A scrambled text is a run of 4-character units "kkxx": a key byte
// and that key byte XORed with one byte of the text (or of random padding). The key bytes repeat
// with period 5; key byte 0 is the text's length, so every scrambled text carries its own key and
// starts with the plain length in hexadecimal. Units are padded to a multiple of 5.

#include <cstdint>
#include <functional>
#include <string_view>

namespace gatevane {

// Supplies the random key and padding bytes, each 0..254.
using ScrambleByteSource = std::function<std::uint8_t()>;

// The launcher's source: the C library's rand() % 255.
std::uint8_t CrtScrambleByte();

// The longest text ScrambleText carries: its length travels in one byte.
constexpr std::size_t kMaxScrambledTextLength = 255;

// Writes the scrambled form of `text` into `out` and returns the number of characters written.
// When `outSize` is too small, writes the empty text and returns the size needed (terminator
// included). A text longer than 255 bytes is refused: empty text written, 0 returned.
std::uint16_t ScrambleText(std::string_view text, char* out, std::uint16_t outSize,
                           const ScrambleByteSource& nextByte = CrtScrambleByte);

// Writes the plain text of `scrambled` into `out` and returns its length. Malformed input (too
// short, a length that does not match the embedded one, a character that is not a hexadecimal
// digit) gives 0 and the empty text. A plain text that would not fit (length > outSize - 1) gives
// its length and the empty text.
std::uint16_t UnscrambleText(std::string_view scrambled, char* out, std::uint16_t outSize);

}  // namespace gatevane
