#pragma once
// A window's tooltip: the native tooltip window shows the tip of the control under the pointer.

#include <windows.h>

#include "base/unique_handle_win.h"

class CControlUI;

class ToolTip {
public:
    // Makes the tooltip window of `owner`, replacing any earlier one.
    void Create(HWND owner, HINSTANCE instance);
    // Shows the tip of the control now under the pointer (null: of none).
    void Track(CControlUI* control);
    CControlUI* Control() const { return control_; }
    // The control leaves the tree: the tooltip no longer refers to it.
    void ForgetControl() { control_ = nullptr; }

private:
    HWND owner_ = nullptr;
    gatevane::UniqueWindow window_;
    CControlUI* control_ = nullptr;
};
