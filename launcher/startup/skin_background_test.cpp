#include "launcher/startup/skin_background.h"

#include <gtest/gtest.h>

namespace gatevane {
namespace {

using Kind = SkinBackground::Kind;

TEST(SkinBackgroundTest, ImageSkinShowsOneOfTwelvePicturesColourSkinItsColourElseTheSkinStays) {
    const SkinBackground last = ChooseSkinBackground(true, 0xFF112233, 11);
    EXPECT_EQ(last.kind, Kind::Picture);
    EXPECT_EQ(last.picture, "TesselRes/Skin/ColorSkin/Skin/bkg_11.jpg");
    EXPECT_EQ(ChooseSkinBackground(true, 0, 0).picture, "TesselRes/Skin/ColorSkin/Skin/bkg_0.jpg");
    EXPECT_EQ(ChooseSkinBackground(true, 0xFF112233, 12).kind, Kind::KeepSkin);
    // A negative number in SkinInfo.ini arrives as a large unsigned number.
    EXPECT_EQ(ChooseSkinBackground(true, 0, static_cast<std::uint32_t>(-1)).kind, Kind::KeepSkin);

    const SkinBackground colour = ChooseSkinBackground(false, 0xFF336699, 3);
    EXPECT_EQ(colour.kind, Kind::Color);
    EXPECT_EQ(colour.color, 0xFF336699u);
    EXPECT_EQ(ChooseSkinBackground(false, 0, 3).kind, Kind::KeepSkin);
}

}  // namespace
}  // namespace gatevane
