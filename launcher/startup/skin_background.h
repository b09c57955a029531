#pragma once
// Which background a window takes from the skin settings: an image skin shows one of the twelve
// colour-skin pictures, a colour skin its colour; a picture number of 12 or more, or a colour of
// 0, keeps the background the window's skin file gives.

#include <cstdint>
#include <string>

namespace gatevane {

struct SkinBackground {
    enum class Kind { KeepSkin, Picture, Color };
    Kind kind = Kind::KeepSkin;
    std::string picture;      // for Picture: the file, relative to the program folder
    std::uint32_t color = 0;  // for Color: handed to the toolkit unchanged (AARRGGBB)
};

constexpr std::uint32_t kSkinPictureCount = 12;

SkinBackground ChooseSkinBackground(bool usesImage, std::uint32_t color, std::uint32_t image);

}  // namespace gatevane
