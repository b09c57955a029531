#pragma once
// A window's mouse routing: which control the pointer is over (enter and leave go to every
// control whose area it entered or left), which control a pressed button captured, and the
// leave tracking of the window.

#include <windows.h>

class CControlUI;
class CPaintManagerUI;
class ToolTip;

class MouseInput {
public:
    // Routes a mouse message of the manager's window to its controls. Returns false: the window
    // still handles the message itself.
    bool Handle(CPaintManagerUI& manager, ToolTip& toolTip, UINT message, WPARAM wParam,
                LPARAM lParam);
    // A new tree: no control is under the pointer or captured.
    void Reset() { hover_ = capture_ = nullptr; }
    // Forgets the hovered and the captured control where `gone` says so.
    template <typename Gone>
    void ForgetIf(Gone gone) {
        for (CControlUI** slot : {&hover_, &capture_}) {
            if (*slot && gone(*slot)) *slot = nullptr;
        }
    }

private:
    CControlUI* hover_ = nullptr;
    CControlUI* capture_ = nullptr;
    bool tracking_ = false;
};
