#pragma once
// How skin files write values: rectangles "l,t,r,b", sizes "w,h", colours "#AARRGGBB", booleans,
// attribute lists a="v" b="v" (the <Default> element's value) and image strings
// "file='a.png' source='0,0,45,45' corner='4,4,4,4' dest='0,0,16,16' mask='#FFFF00FF'".
// Platform-free, so the rules are tested natively.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ui {

struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const Box& other) const {
        return left == other.left && top == other.top && right == other.right &&
               bottom == other.bottom;
    }
};

struct Extent {
    int cx = 0;
    int cy = 0;
    bool operator==(const Extent& other) const { return cx == other.cx && cy == other.cy; }
};

// Missing trailing numbers are 0 ("4" is 4,0,0,0); anything that is not a number ends the list.
Box ParseBox(std::string_view text);
Extent ParseExtent(std::string_view text);
int ParseInt(std::string_view text);
// "true" (any case) or "1"; everything else is false.
bool ParseBool(std::string_view text);
// "#AARRGGBB", "#RRGGBB" (opaque) or "0xAARRGGBB"; nullopt for anything else.
std::optional<std::uint32_t> ParseColor(std::string_view text);

using AttributeList = std::vector<std::pair<std::string, std::string>>;
// a="v" b="v": names run to '=', values are in double quotes; parsing stops at the first fault.
AttributeList ParseAttributeList(std::string_view text);

struct ImageSpec {
    std::string file;
    std::optional<Box> source;
    Box corner;
    std::optional<Box> dest;
    std::optional<std::uint32_t> mask;
    bool operator==(const ImageSpec& other) const {
        return file == other.file && source == other.source && corner == other.corner &&
               dest == other.dest && mask == other.mask;
    }
};

// A plain text is a file name; otherwise key='value' pairs. Unknown keys are skipped. An image
// string without a file gives an empty `file`.
ImageSpec ParseImageSpec(std::string_view text);

}  // namespace ui
