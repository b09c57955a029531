#include "launcher/startup/skin_background.h"

namespace gatevane {

SkinBackground ChooseSkinBackground(bool usesImage, std::uint32_t color, std::uint32_t image) {
    SkinBackground background;
    if (usesImage) {
        if (image < kSkinPictureCount) {
            background.kind = SkinBackground::Kind::Picture;
            background.picture =
                "TesselRes/Skin/ColorSkin/Skin/bkg_" + std::to_string(image) + ".jpg";
        }
    } else if (color != 0) {
        background.kind = SkinBackground::Kind::Color;
        background.color = color;
    }
    return background;
}

}  // namespace gatevane
