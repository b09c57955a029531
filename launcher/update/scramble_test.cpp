#include "launcher/update/scramble.h"

#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <string>
#include <vector>

namespace gatevane {
namespace {

// Key and padding bytes from a fixed sequence, so a case can pick the bytes it wants.
ScrambleByteSource Bytes(std::vector<std::uint8_t> sequence) {
    auto at = std::make_shared<std::size_t>(0);
    return [=] { return sequence[(*at)++ % sequence.size()]; };
}

std::string Scrambled(std::string_view text, const ScrambleByteSource& source) {
    char out[1100];
    std::uint16_t written = ScrambleText(text, out, sizeof out, source);
    EXPECT_EQ(written, std::string(out).size());
    return out;
}

// The plain text UnscrambleText gives, checking that a refusal leaves the empty text.
std::string Plain(std::string_view scrambled, std::uint16_t size = 300) {
    std::vector<char> out(size, 'z');
    std::uint16_t length = UnscrambleText(scrambled, out.data(), size);
    if (length == 0 || length >= size) {
        EXPECT_EQ(out[0], '\0');
        return "";
    }
    EXPECT_EQ(out[length], '\0');
    return std::string(out.data(), length);
}

TEST(ScrambleText, UnitsAreKeyThenKeyXorByteInLowercaseHexRoundTripAndMustFitTheLengthByte) {
    // Key bytes 6, 0xA0, 0x0B, 0xFE, 0x00, then padding bytes 0x55 .. 0x58.
    const std::string units = Scrambled("\x41\x42\x01\xff\x63\x21",  // "AB", 0x01, 0xFF, "c!"
                                        Bytes({0xA0, 0x0B, 0xFE, 0x00, 0x55, 0x56, 0x57, 0x58}));
    const std::string firstFive = "0647a0e20b0afe010063";   // "A" ^ 6, "B" ^ 0xA0, ...
    const std::string secondFive = "0627a0f50b5dfea90058";  // "!" ^ 6, then padding
    EXPECT_EQ(units, firstFive + secondFive);
    EXPECT_EQ(Scrambled("", Bytes({1})), "");
    char out[40] = "untouched";
    EXPECT_EQ(ScrambleText(std::string(256, 'x'), out, sizeof out, Bytes({9})), 0);
    EXPECT_STREQ(out, "");
    out[0] = 'u';
    EXPECT_EQ(ScrambleText("abcdef", out, 40, Bytes({3})), 41) << "the size needed";
    EXPECT_STREQ(out, "");
    EXPECT_EQ(ScrambleText("abcdef", out, 0, Bytes({3})), 41);
    const std::string texts[] = {"a", "abcde", std::string("\0\x01zero", 6),
                                 "/Type:1 /ServerID:7 /Account:玩家 /PassWord:p@ss w0rd",
                                 std::string(255, '\xfe')};
    std::vector<ScrambleByteSource> sources = {CrtScrambleByte};
    for (int seed : {0, 77, 254}) sources.push_back(Bytes({std::uint8_t(seed), 254, 0}));
    for (const ScrambleByteSource& source : sources) {
        for (const std::string& text : texts) {
            const std::string scrambled = Scrambled(text, source);
            EXPECT_EQ(scrambled.size() % 20, 0u);
            EXPECT_EQ(Plain(scrambled), text);
        }
    }
}

TEST(UnscrambleText, IgnoresPaddingAndDigitCaseButRefusesMalformedInputOrTooSmallABuffer) {
    const std::string good = Scrambled("abcdef", Bytes({5}));
    std::string notHex = good;
    notHex[6] = 'g';
    for (const std::string& bad :
         {good.substr(0, 19), "06" + std::string(18, '0'), good.substr(0, 39), good + "0",
          good + std::string(20, '0'), "zz" + good.substr(2), notHex, std::string(20, '0')}) {
        EXPECT_EQ(Plain(bad), "") << bad;
    }
    std::string scrambled = Scrambled("abc", Bytes({0x10, 0x20, 0x30, 0x40}));
    std::string garbledPadding = scrambled;
    garbledPadding.replace(12, 8, "ffffffff");
    EXPECT_EQ(Plain(garbledPadding), "abc");
    for (char& c : scrambled) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(Plain(scrambled), "abc");
    // A plain text too long for the buffer gives its length and an empty text.
    const std::string longer = Scrambled(std::string(40, 'p'), Bytes({8}));
    char out[40] = "untouched";
    EXPECT_EQ(UnscrambleText(longer, out, sizeof out), 40);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(Plain(longer, 41), std::string(40, 'p'));
}

}  // namespace
}  // namespace gatevane
