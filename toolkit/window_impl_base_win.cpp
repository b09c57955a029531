#include "toolkit/window_impl_base_win.h"

#include <windowsx.h>

#include "toolkit/dialog_builder_win.h"

namespace skinned_window {

void ApplyRoundCorners(HWND window, const CPaintManagerUI& manager) {
    SIZE corner = manager.GetRoundCorner();
    if (::IsIconic(window) || (corner.cx == 0 && corner.cy == 0)) return;
    RECT rc;
    ::GetWindowRect(window, &rc);
    ::OffsetRect(&rc, -rc.left, -rc.top);
    rc.right++;
    rc.bottom++;
    HRGN region = ::CreateRoundRectRgn(rc.left, rc.top, rc.right, rc.bottom, corner.cx, corner.cy);
    // The system owns the region from here on.
    ::SetWindowRgn(window, region, TRUE);
}

LRESULT HitTest(HWND window, const CPaintManagerUI& manager, LPARAM lParam) {
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ScreenToClient(window, &pt);
    RECT client;
    ::GetClientRect(window, &client);
    const RECT& caption = manager.GetCaptionRect();
    if (pt.x >= client.left + caption.left && pt.x < client.right - caption.right &&
        pt.y >= caption.top && pt.y < caption.bottom) {
        // Buttons (options too) and boxes that take input stay usable inside the band.
        CControlUI* control = manager.FindControl(pt);
        if (control && !control->GetInterface("Button") && !control->IsFocusable()) {
            return HTCAPTION;
        }
    }
    return HTCLIENT;
}

void DropSystemFrame(HWND window) {
    LONG_PTR style = ::GetWindowLongPtrA(window, GWL_STYLE);
    style &= 0xFF3FFFFF;  // no caption, no frame
    style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    ::SetWindowLongPtrA(window, GWL_STYLE, style);
}

bool HandleFrameMessage(HWND window, const CPaintManagerUI& manager, UINT message, WPARAM wParam,
                        LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_SIZE:
            ApplyRoundCorners(window, manager);
            return false;
        case WM_NCCALCSIZE:
        case WM_NCPAINT:
            result = 0;
            return true;
        case WM_NCHITTEST:
            result = HitTest(window, manager, lParam);
            return true;
        case WM_NCACTIVATE:
            if (::IsIconic(window)) return false;
            result = wParam == 0 ? TRUE : FALSE;
            return true;
        default:
            return false;
    }
}

}  // namespace skinned_window

void WindowImplBase::Notify(TNotifyUI&) {}

LRESULT WindowImplBase::MessageHandler(UINT message, WPARAM wParam, LPARAM, bool& handled) {
    if (message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
        handled = ResponseDefaultKeyEvent(wParam);
    }
    return 0;
}

CControlUI* WindowImplBase::CreateControl(const char*) {
    return nullptr;
}

void WindowImplBase::InitWindow() {}

bool WindowImplBase::ResponseDefaultKeyEvent(WPARAM wParam) {
    if (wParam == VK_ESCAPE) {
        Close();
        return true;
    }
    return false;
}

const char* WindowImplBase::GetResourceID() const {
    return nullptr;
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, bool& handled) {
    skinned_window::DropSystemFrame(window_);
    paintManager_.Init(window_);
    paintManager_.AddPreMessageFilter(this);
    CPaintManagerUI::SetResourcePath(GetSkinFolder());
    CDialogBuilder builder;
    CControlUI* root = builder.Create(GetSkinFile(), nullptr, this, &paintManager_);
    if (!root) {
        // Without its skin the window has nothing to show.
        handled = true;
        return -1;
    }
    paintManager_.AttachDialog(std::unique_ptr<CControlUI>(root));
    paintManager_.AddNotifier(this);
    InitWindow();
    handled = true;
    return 0;
}

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, bool& handled) {
    paintManager_.RemovePreMessageFilter(this);
    paintManager_.RemoveNotifier(this);
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, bool& handled) {
    if (::IsIconic(window_)) {
        handled = false;
        return 0;
    }
    handled = true;
    return wParam == 0 ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM, LPARAM, bool& handled) {
    handled = true;
    return 0;
}

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, bool& handled) {
    handled = true;
    return 0;
}

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool& handled) {
    handled = true;
    return skinned_window::HitTest(window_, paintManager_, lParam);
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, bool& handled) {
    skinned_window::ApplyRoundCorners(window_, paintManager_);
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    bool handled = false;
    LRESULT result = 0;
    switch (message) {
        case WM_CREATE:
            result = OnCreate(message, wParam, lParam, handled);
            break;
        case WM_CLOSE:
            result = OnClose(message, wParam, lParam, handled);
            break;
        case WM_DESTROY:
            result = OnDestroy(message, wParam, lParam, handled);
            break;
        case WM_NCACTIVATE:
            result = OnNcActivate(message, wParam, lParam, handled);
            break;
        case WM_NCCALCSIZE:
            result = OnNcCalcSize(message, wParam, lParam, handled);
            break;
        case WM_NCPAINT:
            result = OnNcPaint(message, wParam, lParam, handled);
            break;
        case WM_NCHITTEST:
            result = OnNcHitTest(message, wParam, lParam, handled);
            break;
        case WM_SIZE:
            result = OnSize(message, wParam, lParam, handled);
            break;
        case WM_SYSCOMMAND:
            result = OnSysCommand(message, wParam, lParam, handled);
            break;
        default:
            break;
    }
    if (handled) return result;
    result = HandleCustomMessage(message, wParam, lParam, handled);
    if (handled) return result;
    if (paintManager_.MessageHandler(message, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}
