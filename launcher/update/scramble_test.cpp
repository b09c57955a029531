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

TEST(ScrambleText, LengthsAreWholeGroupsOfFiveUnits) {
    auto source = Bytes({1});
    char out[200];
    EXPECT_EQ(ScrambleText("", out, sizeof out, source), 0);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(ScrambleText("a", out, sizeof out, source), 20);
    EXPECT_EQ(ScrambleText("abcde", out, sizeof out, source), 20);
    EXPECT_EQ(ScrambleText("abcdef", out, sizeof out, source), 40);
}

TEST(ScrambleText, UnitsAreKeyThenKeyXorByteInLowercaseHex) {
    // Key bytes 6, 0xA0, 0x0B, 0xFE, 0x00, then padding bytes 0x55 .. 0x58.
    const std::string text = "\x41\x42\x01\xff\x63\x21";  // "AB", 0x01, 0xFF, "c!"
    const std::string out =
        Scrambled(text, Bytes({0xA0, 0x0B, 0xFE, 0x00, 0x55, 0x56, 0x57, 0x58}));
    const std::string firstFive = "0647a0e20b0afe010063";   // "A" ^ 6, "B" ^ 0xA0, ...
    const std::string secondFive = "0627a0f50b5dfea90058";  // "!" ^ 6, then padding
    EXPECT_EQ(out, firstFive + secondFive);
}

TEST(ScrambleText, RefusesTextsLongerThanItsLengthByte) {
    char out[1100] = "untouched";
    EXPECT_EQ(ScrambleText(std::string(256, 'x'), out, sizeof out, Bytes({9})), 0);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(ScrambleText(std::string(255, 'x'), out, sizeof out, Bytes({9})), 1020);
}

TEST(ScrambleText, TooSmallABufferGetsTheSizeNeededAndAnEmptyText) {
    char out[40] = "untouched";
    EXPECT_EQ(ScrambleText("abcdef", out, 40, Bytes({3})), 41);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(ScrambleText("abcdef", out, 0, Bytes({3})), 41);
}

TEST(ScrambleText, RoundTripsWhateverTheKeyBytes) {
    const std::string texts[] = {"a",
                                 "abcde",
                                 "127.0.0.1",
                                 std::string("\0\x01zero", 6),
                                 "/Type:1 /ServerID:7 /Account:玩家 /PassWord:p@ss w0rd",
                                 std::string(255, '\xfe')};
    for (int seed : {0, 1, 77, 128, 254}) {
        for (const std::string& text : texts) {
            std::string scrambled =
                Scrambled(text, Bytes({std::uint8_t(seed), std::uint8_t(seed * 3), 254, 0}));
            EXPECT_EQ(scrambled.size() % 20, 0u);
            EXPECT_EQ(std::stoi(scrambled.substr(0, 2), nullptr, 16), int(text.size()));
            EXPECT_EQ(Plain(scrambled), text) << "key seed " << seed;
        }
    }
}

TEST(ScrambleText, TheCrtSourceRoundTripsToo) {
    std::string scrambled = Scrambled("line.velmora.cn", CrtScrambleByte);
    EXPECT_EQ(scrambled.size(), 60u);
    EXPECT_EQ(Plain(scrambled), "line.velmora.cn");
}

TEST(UnscrambleText, RefusesMalformedInput) {
    const std::string good = Scrambled("abcdef", Bytes({5}));
    EXPECT_EQ(Plain(good.substr(0, 19)), "");           // too short
    EXPECT_EQ(Plain("06" + std::string(18, '0')), "");  // 6 bytes need 40 characters
    EXPECT_EQ(Plain(good.substr(0, 39)), "");           // one character short
    EXPECT_EQ(Plain(good + "0"), "");                   // one too many
    EXPECT_EQ(Plain(good + std::string(20, '0')), "");  // a group too many
    EXPECT_EQ(Plain("zz" + good.substr(2)), "");        // length not hexadecimal
    std::string notHex = good;
    notHex[6] = 'g';
    EXPECT_EQ(Plain(notHex), "");                // a unit not hexadecimal
    EXPECT_EQ(Plain(std::string(20, '0')), "");  // length 0 carries nothing
}

TEST(UnscrambleText, IgnoresPaddingAndAcceptsUppercaseDigits) {
    std::string scrambled = Scrambled("abc", Bytes({0x10, 0x20, 0x30, 0x40}));
    std::string garbledPadding = scrambled;
    garbledPadding.replace(12, 8, "ffffffff");
    EXPECT_EQ(Plain(garbledPadding), "abc");
    for (char& c : scrambled) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(Plain(scrambled), "abc");
}

TEST(UnscrambleText, APlainTextTooLongForTheBufferGivesItsLengthAndAnEmptyText) {
    std::string scrambled = Scrambled(std::string(40, 'p'), Bytes({8}));
    char out[33] = "untouched";
    EXPECT_EQ(UnscrambleText(scrambled, out, 33), 40);
    EXPECT_STREQ(out, "");
    char exact[41];
    EXPECT_EQ(UnscrambleText(scrambled, exact, 41), 40);
    EXPECT_EQ(std::string(exact), std::string(40, 'p'));
}

}  // namespace
}  // namespace gatevane
