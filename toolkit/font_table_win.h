#pragma once
// A window's skin fonts by the skin's ids, one of them the default.

#include <windows.h>

#include <map>

#include "base/unique_handle_win.h"

class FontTable {
public:
    // Replaces a font of the same id; a font that cannot be made is left out.
    void Add(int id, const char* faceName, int size, bool bold, bool underline, bool isDefault);
    // Unknown ids give the default font (the system's GUI font when the skin has none).
    HFONT Get(int id) const;
    // Makes the same fonts under the same ids (a popup shows its window's controls in them).
    void CopyFrom(const FontTable& other);

private:
    std::map<int, gatevane::UniqueFont> fonts_;
    HFONT defaultFont_ = nullptr;
};
