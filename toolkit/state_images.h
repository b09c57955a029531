#pragma once
// The pictures of a control's states, as skins name them: "normalimage", "hotimage" (pointer
// over it), "pushedimage", "focusedimage" and "disabledimage". Each control decides which state
// wins when several hold.

#include <string_view>

#include "toolkit/ui_string.h"

struct StateImages {
    CDuiString normal;
    CDuiString hot;
    CDuiString pushed;
    CDuiString focused;
    CDuiString disabled;

    // Takes one of the five attributes; false for any other.
    bool SetAttribute(std::string_view name, const char* value) {
        CDuiString* image = name == "normalimage"     ? &normal
                            : name == "hotimage"      ? &hot
                            : name == "pushedimage"   ? &pushed
                            : name == "focusedimage"  ? &focused
                            : name == "disabledimage" ? &disabled
                                                      : nullptr;
        if (image) *image = value;
        return image != nullptr;
    }
};
