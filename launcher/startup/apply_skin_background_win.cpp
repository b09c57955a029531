#include "launcher/startup/apply_skin_background_win.h"

#include "launcher/startup/launcher_settings_win.h"
#include "launcher/startup/skin_background.h"
#include "toolkit/control_win.h"

namespace gatevane {

void ApplySkinBackground(CControlUI* control) {
    if (!control) return;
    SkinBackground background = ChooseSkinBackground(theSettings.skinUsesImage,
                                                     theSettings.skinColor, theSettings.skinImage);
    switch (background.kind) {
        case SkinBackground::Kind::Picture:
            control->SetBkImage("");
            control->SetBkImage(background.picture.c_str());
            break;
        case SkinBackground::Kind::Color:
            control->SetBkImage("");
            control->SetBkColor(background.color);
            break;
        case SkinBackground::Kind::KeepSkin:
            return;
    }
    control->NeedUpdate();
}

}  // namespace gatevane
