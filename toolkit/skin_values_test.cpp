#include "toolkit/skin_values.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <ostream>
#include <utility>

namespace ui {

void PrintTo(const Box& box, std::ostream* out) {
    *out << "{" << box.left << "," << box.top << "," << box.right << "," << box.bottom << "}";
}

void PrintTo(const Extent& extent, std::ostream* out) {
    *out << "{" << extent.cx << "," << extent.cy << "}";
}

namespace {

// Lists of numbers fill what is missing with zero, stop at the first fault, and saturate a number
// too big for an int: a width of "3000000000" wrapping to a negative size would fold a control
// inside out.
TEST(SkinNumbers, ListsStopAtTheFirstFaultAndSaturate) {
    const std::pair<const char*, Box> boxes[] = {{"1,2,3,4", {1, 2, 3, 4}},
                                                 {" 1 , 2 ,3,  4 ", {1, 2, 3, 4}},
                                                 {"-5,-6,+7,8", {-5, -6, 7, 8}},
                                                 {"4", {4, 0, 0, 0}},
                                                 {"4,5", {4, 5, 0, 0}},
                                                 {"", {}},
                                                 {"1,2,3,4,5,6", {1, 2, 3, 4}},
                                                 {"1,2,x,4", {1, 2, 0, 0}},
                                                 {"1;2;3;4", {1, 0, 0, 0}},
                                                 {"1,,3,4", {1, 0, 0, 0}},
                                                 {"abc", {}},
                                                 {"-,2,3,4", {}},
                                                 {"1 2 3 4", {1, 0, 0, 0}},
                                                 {"0,0,4294967296,10", {0, 0, INT_MAX, 10}}};
    for (const auto& [text, box] : boxes) EXPECT_EQ(ParseBox(text), box) << text;
    const std::pair<const char*, Extent> extents[] = {
        {"400,300", {400, 300}},       {" 6 , 6 ", {6, 6}}, {"400", {400, 0}},
        {"400,300,200", {400, 300}},   {"w,h", {}},         {"", {}},
        {"5000000000,1", {INT_MAX, 1}}};
    for (const auto& [text, extent] : extents) EXPECT_EQ(ParseExtent(text), extent) << text;
    const std::pair<const char*, int> ints[] = {{"42", 42},
                                                {"  42  ", 42},
                                                {"-7", -7},
                                                {"+7", 7},
                                                {"12px", 12},
                                                {"0", 0},
                                                {"", 0},
                                                {"px12", 0},
                                                {"-", 0},
                                                {"--5", 0},
                                                {"2147483647", INT_MAX},
                                                {"2147483648", INT_MAX},
                                                {"3000000000", INT_MAX},
                                                {"99999999999999999999", INT_MAX},
                                                {"-2147483648", INT_MIN},
                                                {"-99999999999", INT_MIN}};
    for (const auto& [text, value] : ints) EXPECT_EQ(ParseInt(text), value) << text;
}

TEST(SkinBooleans, TrueInAnyCaseOrOneIsTrueEverythingElseFalse) {
    for (const char* yes : {"true", "TRUE", "True", "tRuE", "1", " true ", "\ttrue\n"}) {
        EXPECT_TRUE(ParseBool(yes)) << "'" << yes << "'";
    }
    for (const char* no : {"false", "FALSE", "0", "", "yes", "on", "2", "01", "tru", "truee",
                           "true1", "t rue", "-1"}) {
        EXPECT_FALSE(ParseBool(no)) << "'" << no << "'";
    }
}

TEST(SkinColors, LongFormKeepsAlphaShortFormIsOpaque) {
    const std::pair<const char*, std::uint32_t> colors[] = {
        {"#FF112233", 0xFF112233u},     {"#80112233", 0x80112233u},  {"#00000000", 0x00000000u},
        {"#112233", 0xFF112233u},       {"#000000", 0xFF000000u},    {"#ffaa00cc", 0xFFAA00CCu},
        {"#AbCdEf", 0xFFABCDEFu},       {"0x80112233", 0x80112233u}, {"0X112233", 0xFF112233u},
        {"  #FF333333  ", 0xFF333333u}, {"#FFFFFFFF", 0xFFFFFFFFu}};
    for (const auto& [text, color] : colors) EXPECT_EQ(ParseColor(text), color) << text;
}

TEST(SkinColors, AnythingElseIsNoColor) {
    for (const char* bad : {"", "#", "0x", "#1", "#12345", "#1234567", "#123456789", "#GG112233",
                            "#FF11223G", "FF112233", "112233", "red", "#FF 11 22 33", "# FF112233",
                            "#-1122334", "#+1122334", "0x-1122334", "##112233", "#FF112233;"}) {
        EXPECT_EQ(ParseColor(bad), std::nullopt) << "'" << bad << "'";
    }
}

TEST(SkinAttributeLists, DefaultValueFormGivesEveryPairInOrder) {
    // What <Default value="textcolor=&quot;#FF333333&quot; font=&quot;1&quot;"/> hands over.
    AttributeList pairs = ParseAttributeList("textcolor=\"#FF333333\" font=\"1\"");
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[0], (std::pair<std::string, std::string>{"textcolor", "#FF333333"}));
    EXPECT_EQ(pairs[1], (std::pair<std::string, std::string>{"font", "1"}));

    pairs = ParseAttributeList(
        "\n  normalimage=\"file='btn.png' source='0,0,80,30'\"\t text=\"a = b\"  "
        "tooltip=\"\" ");
    ASSERT_EQ(pairs.size(), 3u);
    EXPECT_EQ(pairs[0].second, "file='btn.png' source='0,0,80,30'");
    EXPECT_EQ(pairs[1], (std::pair<std::string, std::string>{"text", "a = b"}));
    EXPECT_EQ(pairs[2], (std::pair<std::string, std::string>{"tooltip", ""}));

    pairs = ParseAttributeList("width = \"60\"");
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_EQ(pairs[0], (std::pair<std::string, std::string>{"width", "60"}));

    EXPECT_TRUE(ParseAttributeList("").empty());
    EXPECT_TRUE(ParseAttributeList("   ").empty());
}

TEST(SkinAttributeLists, ParsingStopsAtTheFirstFault) {
    struct Case {
        const char* text;
        std::size_t pairs;
    };
    const Case cases[] = {
        {"a=\"1\" b=\"2", 1},        // the last value is never closed
        {"a=\"1\" b=2 c=\"3\"", 1},  // an unquoted value
        {"a=1 b=\"2\"", 0},
        {"a=\"1\" =\"2\" c=\"3\"", 1},  // a value without a name
        {"a=\"1\" b", 1},               // a name without a value
        {"a=\"1\" b=", 1},
        {"a='1'", 0},                 // single quotes belong to image strings
        {"a=\"1\" junk b=\"2\"", 1},  // a word that is no attribute
        {"\"1\"", 0},
    };
    for (const Case& c : cases) {
        AttributeList pairs = ParseAttributeList(c.text);
        EXPECT_EQ(pairs.size(), c.pairs) << c.text;
        if (!pairs.empty()) {
            EXPECT_EQ(pairs[0], (std::pair<std::string, std::string>{"a", "1"})) << c.text;
        }
    }
}

TEST(SkinImageStrings, PlainTextIsTheFileName) {
    EXPECT_EQ(ParseImageSpec("Login/logo.png"), (ImageSpec{"Login/logo.png", {}, {}, {}, {}}));
    EXPECT_EQ(ParseImageSpec("  Login\\logo.png "), (ImageSpec{"Login\\logo.png", {}, {}, {}, {}}));
    EXPECT_EQ(ParseImageSpec("Login/my logo.png").file, "Login/my logo.png");
    EXPECT_EQ(ParseImageSpec(""), ImageSpec{});
}

TEST(SkinImageStrings, EveryKeyIsRead) {
    ImageSpec image = ParseImageSpec(
        "file='Login/btn.png' source='0,0,80,30' corner='4,4,4,4' dest='0,8,16,24' "
        "mask='#FFFF00FF'");
    EXPECT_EQ(image.file, "Login/btn.png");
    EXPECT_EQ(image.source, (Box{0, 0, 80, 30}));
    EXPECT_EQ(image.corner, (Box{4, 4, 4, 4}));
    EXPECT_EQ(image.dest, (Box{0, 8, 16, 24}));
    EXPECT_EQ(image.mask, 0xFFFF00FFu);

    // Order and spacing are the author's choice.
    ImageSpec shuffled = ParseImageSpec(
        " mask = '#FF00FF'  dest='0,8,16,24' corner='4,4,4,4'source='0,0,80,30' "
        "file='Login/btn.png' ");
    EXPECT_EQ(shuffled, image);
}

TEST(SkinImageStrings, UnknownKeysAreSkippedBadValuesAreDropped) {
    ImageSpec image = ParseImageSpec("fade='128' file='a.png' hole='1,1' source='1,2,3,4'");
    EXPECT_EQ(image, (ImageSpec{"a.png", Box{1, 2, 3, 4}, {}, {}, {}}));

    image = ParseImageSpec("file='a.bmp' mask='magenta'");
    EXPECT_EQ(image.file, "a.bmp");
    EXPECT_EQ(image.mask, std::nullopt);
}

TEST(SkinImageStrings, BrokenQuotingNeverInventsAFileOrPart) {
    // No file key, or no quotes around the file: nothing can be drawn.
    EXPECT_EQ(ParseImageSpec("source='0,0,10,10'").file, "");
    EXPECT_EQ(ParseImageSpec("file=a.png").file, "");
    EXPECT_EQ(ParseImageSpec("file=\"a.png\"").file, "");
    EXPECT_EQ(ParseImageSpec("file='a.png").file, "");

    // A value that is never closed is not read, but what came before it is kept.
    ImageSpec image = ParseImageSpec("file='a.png' source='0,0,10,10");
    EXPECT_EQ(image.file, "a.png");
    EXPECT_EQ(image.source, std::nullopt);
}

}  // namespace
}  // namespace ui
