#include "toolkit/mouse_input_win.h"

#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "toolkit/control_tree_win.h"
#include "toolkit/paint_manager_win.h"
#include "toolkit/tooltip_win.h"

bool MouseInput::Handle(CPaintManagerUI& manager, ToolTip& toolTip, UINT message, WPARAM wParam,
                        LPARAM lParam) {
    HWND window = manager.GetPaintWindow();
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (message == WM_MOUSELEAVE) {
        tracking_ = false;
        if (!capture_) {
            for (CControlUI* control : control_tree::Ancestry(hover_)) {
                manager.SendEvent(control, UIEVENT_MOUSELEAVE, pt);
            }
            hover_ = nullptr;
        }
        return false;
    }
    if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window, 0};
        tracking_ = ::TrackMouseEvent(&track) != FALSE;
    }
    CControlUI* target = manager.FindControl(pt);
    if (message == WM_MOUSEMOVE && !capture_ && target != hover_) {
        // Leave and enter go to every control whose area the pointer left or entered, so a
        // container keeps its hover while the pointer moves over its children.
        std::vector<CControlUI*> from = control_tree::Ancestry(hover_);
        std::vector<CControlUI*> to = control_tree::Ancestry(target);
        hover_ = target;
        for (CControlUI* control : from) {
            if (std::find(to.begin(), to.end(), control) == to.end()) {
                manager.SendEvent(control, UIEVENT_MOUSELEAVE, pt);
            }
        }
        for (auto it = to.rbegin(); it != to.rend(); ++it) {
            if (std::find(from.begin(), from.end(), *it) == from.end()) {
                manager.SendEvent(*it, UIEVENT_MOUSEENTER, pt);
            }
        }
        toolTip.Track(hover_);
    }
    switch (message) {
        case WM_MOUSEMOVE:
            manager.SendEvent(capture_ ? capture_ : target, UIEVENT_MOUSEMOVE, pt, wParam, lParam);
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (!target || !target->IsEnabled()) break;
            ::SetCapture(window);
            capture_ = target;
            manager.SendEvent(target,
                              message == WM_LBUTTONDOWN ? UIEVENT_BUTTONDOWN : UIEVENT_DBLCLICK, pt,
                              wParam, lParam);
            break;
        case WM_LBUTTONUP:
            // The pressed control may be gone (its press removed it); the capture goes all the
            // same.
            if (::GetCapture() == window) ::ReleaseCapture();
            if (!capture_) break;
            {
                CControlUI* pressed = capture_;
                capture_ = nullptr;
                manager.SendEvent(pressed, UIEVENT_BUTTONUP, pt, wParam, lParam);
            }
            break;
        default:
            break;
    }
    return false;
}
