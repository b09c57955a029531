#include "toolkit/skin_values.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

namespace ui {
namespace {

using std::to_string;
std::string to_string(const Box& box) {
    return to_string(box.left) + "," + to_string(box.top) + "," + to_string(box.right) + "," +
           to_string(box.bottom);
}
std::string to_string(const Extent& extent) {
    return to_string(extent.cx) + "," + to_string(extent.cy);
}

// What `parse` makes of each text, separated by spaces.
template <typename Parse>
std::string Each(Parse parse, std::initializer_list<const char*> texts) {
    std::string shown;
    for (const char* text : texts) shown += to_string(parse(text)) + " ";
    return shown;
}

// Lists of numbers fill what is missing with zero, stop at the first fault, and saturate a number
// too big for an int: a width of "3000000000" wrapping to a negative size would fold a control
// inside out.
TEST(SkinValues, ByExample) {
    EXPECT_EQ(Each(ParseBox, {" 1 , 2 ,3,  4 ", "-5,-6,+7,8", "4", "", "1,2,3,4,5,6", "1,2,x,4",
                              "1,,3,4", "-,2,3,4", "1 2 3 4", "0,0,4294967296,10"}),
              "1,2,3,4 -5,-6,7,8 4,0,0,0 0,0,0,0 1,2,3,4 1,2,0,0 1,0,0,0 0,0,0,0 1,0,0,0 "
              "0,0,2147483647,10 ");
    EXPECT_EQ(Each(ParseExtent, {" 6 , 6 ", "400", "400,300,200", "w,h", "5000000000,1"}),
              "6,6 400,0 400,300 0,0 2147483647,1 ");
    EXPECT_EQ(Each(ParseInt, {"  42  ", "-7", "+7", "12px", "", "px12", "--5", "2147483647",
                              "2147483648", "99999999999999999999", "-2147483648", "-99999999999"}),
              "42 -7 7 12 0 0 0 2147483647 2147483647 2147483647 -2147483648 -2147483648 ");
    EXPECT_EQ(Each(ParseBool, {"true", "tRuE", "1", " true ", "\ttrue\n", "false", "0", "", "yes",
                               "2", "01", "tru", "truee", "true1", "t rue"}),
              "1 1 1 1 1 0 0 0 0 0 0 0 0 0 0 ");
    // "#AARRGGBB" or "0xAARRGGBB" keeps its alpha, "#RRGGBB" is opaque; anything else is no colour.
    const std::pair<const char*, std::optional<std::uint32_t>> colors[] = {
        {"#80112233", 0x80112233u},     {"#00000000", 0x00000000u},  {"#112233", 0xFF112233u},
        {"#AbCdEf", 0xFFABCDEFu},       {"0x80112233", 0x80112233u}, {"0X112233", 0xFF112233u},
        {"  #FF333333  ", 0xFF333333u}, {"#FFFFFFFF", 0xFFFFFFFFu}};
    for (const auto& [text, color] : colors) EXPECT_EQ(ParseColor(text), color) << text;
    for (const char* bad : {"", "#", "0x", "#12345", "#1234567", "#123456789", "#GG112233",
                            "#FF11223G", "FF112233", "red", "#FF 11 22 33", "# FF112233",
                            "#-1122334", "#+1122334", "0x-1122334", "##112233", "#FF112233;"}) {
        EXPECT_EQ(ParseColor(bad), std::nullopt) << "'" << bad << "'";
    }
    // What <Default value="..."/> hands over: every pair in order, up to the first fault.
    EXPECT_EQ(ParseAttributeList("\n  normalimage=\"file='btn.png' source='0,0,80,30'\"\t "
                                 "text=\"a = b\"  tooltip=\"\" width = \"60\""),
              (AttributeList{{"normalimage", "file='btn.png' source='0,0,80,30'"},
                             {"text", "a = b"},
                             {"tooltip", ""},
                             {"width", "60"}}));
    EXPECT_TRUE(ParseAttributeList("   ").empty());
    const std::pair<const char*, std::size_t> faults[] = {
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
    for (const auto& [text, pairs] : faults) {
        EXPECT_EQ(ParseAttributeList(text), AttributeList(pairs, {"a", "1"})) << text;
    }
    // Plain text is the file name; keys come in any order and spacing, unknown keys are skipped,
    // bad values dropped, and broken quoting never invents a file or part.
    const Box source{0, 0, 80, 30};
    const ImageSpec full{"Login/btn.png", source, {4, 4, 4, 4}, Box{0, 8, 16, 24}, 0xFFFF00FFu};
    const std::pair<const char*, ImageSpec> cases[] = {
        {"  Login\\my logo.png ", {"Login\\my logo.png", {}, {}, {}, {}}},
        {"", {}},
        {"file='Login/btn.png' source='0,0,80,30' corner='4,4,4,4' dest='0,8,16,24' "
         "mask='#FFFF00FF'",
         full},
        {" mask = '#FF00FF'  dest='0,8,16,24' corner='4,4,4,4'source='0,0,80,30' "
         "file='Login/btn.png' ",
         full},
        {"fade='128' file='a.png' hole='1,1' source='0,0,80,30'", {"a.png", source, {}, {}, {}}},
        {"file='a.bmp' mask='magenta'", {"a.bmp", {}, {}, {}, {}}},
        {"source='0,0,10,10'", {"", Box{0, 0, 10, 10}, {}, {}, {}}},
        {"file=a.png", {}},
        {"file=\"a.png\"", {}},
        {"file='a.png", {}},
        {"file='a.png' source='0,0,10,10", {"a.png", {}, {}, {}, {}}},
    };
    for (const auto& [text, image] : cases) EXPECT_EQ(ParseImageSpec(text), image) << text;
}

}  // namespace
}  // namespace ui
