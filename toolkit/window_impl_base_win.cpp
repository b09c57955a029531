#include "toolkit/window_impl_base_win.h"

#include <windowsx.h>

#include "toolkit/dialog_builder_win.h"

namespace skinned_window {

void ApplyRoundCorners(HWND hWnd, const CPaintManagerUI& manager) {
    SIZE corner = manager.GetRoundCorner();
    if (::IsIconic(hWnd) || (corner.cx == 0 && corner.cy == 0)) return;
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    ::OffsetRect(&rc, -rc.left, -rc.top);
    rc.right++;
    rc.bottom++;
    HRGN region = ::CreateRoundRectRgn(rc.left, rc.top, rc.right, rc.bottom, corner.cx, corner.cy);
    // The system owns the region from here on.
    ::SetWindowRgn(hWnd, region, TRUE);
}

LRESULT HitTest(HWND hWnd, const CPaintManagerUI& manager, LPARAM lParam) {
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ScreenToClient(hWnd, &pt);
    RECT client;
    ::GetClientRect(hWnd, &client);
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

void DropSystemFrame(HWND hWnd) {
    LONG_PTR style = ::GetWindowLongPtrA(hWnd, GWL_STYLE);
    style &= 0xFF3FFFFF;  // no caption, no frame
    style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    ::SetWindowLongPtrA(hWnd, GWL_STYLE, style);
}

}  // namespace skinned_window

void WindowImplBase::Notify(TNotifyUI&) {}

LRESULT WindowImplBase::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM, bool& bHandled) {
    if (uMsg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
        bHandled = ResponseDefaultKeyEvent(wParam);
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

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, bool& bHandled) {
    skinned_window::DropSystemFrame(window_);
    m_PaintManager.Init(window_);
    m_PaintManager.AddPreMessageFilter(this);
    CPaintManagerUI::SetResourcePath(GetSkinFolder());
    CDialogBuilder builder;
    CControlUI* root = builder.Create(GetSkinFile(), nullptr, this, &m_PaintManager);
    if (!root) {
        // Without its skin the window has nothing to show.
        bHandled = true;
        return -1;
    }
    m_PaintManager.AttachDialog(std::unique_ptr<CControlUI>(root));
    m_PaintManager.AddNotifier(this);
    InitWindow();
    bHandled = true;
    return 0;
}

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, bool& bHandled) {
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, bool& bHandled) {
    m_PaintManager.RemovePreMessageFilter(this);
    m_PaintManager.RemoveNotifier(this);
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, bool& bHandled) {
    if (::IsIconic(window_)) {
        bHandled = false;
        return 0;
    }
    bHandled = true;
    return wParam == 0 ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM, LPARAM, bool& bHandled) {
    bHandled = true;
    return 0;
}

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, bool& bHandled) {
    bHandled = true;
    return 0;
}

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool& bHandled) {
    bHandled = true;
    return skinned_window::HitTest(window_, m_PaintManager, lParam);
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, bool& bHandled) {
    skinned_window::ApplyRoundCorners(window_, m_PaintManager);
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) {
    bHandled = true;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, bool& bHandled) {
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    bool handled = false;
    LRESULT result = 0;
    switch (uMsg) {
        case WM_CREATE:
            result = OnCreate(uMsg, wParam, lParam, handled);
            break;
        case WM_CLOSE:
            result = OnClose(uMsg, wParam, lParam, handled);
            break;
        case WM_DESTROY:
            result = OnDestroy(uMsg, wParam, lParam, handled);
            break;
        case WM_NCACTIVATE:
            result = OnNcActivate(uMsg, wParam, lParam, handled);
            break;
        case WM_NCCALCSIZE:
            result = OnNcCalcSize(uMsg, wParam, lParam, handled);
            break;
        case WM_NCPAINT:
            result = OnNcPaint(uMsg, wParam, lParam, handled);
            break;
        case WM_NCHITTEST:
            result = OnNcHitTest(uMsg, wParam, lParam, handled);
            break;
        case WM_SIZE:
            result = OnSize(uMsg, wParam, lParam, handled);
            break;
        case WM_SYSCOMMAND:
            result = OnSysCommand(uMsg, wParam, lParam, handled);
            break;
        default:
            break;
    }
    if (handled) return result;
    result = HandleCustomMessage(uMsg, wParam, lParam, handled);
    if (handled) return result;
    if (m_PaintManager.MessageHandler(uMsg, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}
