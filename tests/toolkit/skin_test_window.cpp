#include "tests/toolkit/skin_test_window.h"

#include "toolkit/dialog_builder_win.h"

SkinTestWindow::SkinTestWindow(const char* skin, HWND owner) : skin_(skin) {
    Create(owner, "skin test", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 100, 100, 400, 300);
    if (!manager_.GetRoot()) {
        ::DestroyWindow(window_);
        throw std::runtime_error("the skin did not build");
    }
    PaintNow(window_);
    notifications_.clear();
}

SkinTestWindow::~SkinTestWindow() {
    if (::IsWindow(window_)) ::DestroyWindow(window_);
}

void SkinTestWindow::Notify(TNotifyUI& msg) {
    notifications_.push_back(std::string(msg.sType.GetData()) + ":" +
                             (msg.pSender ? msg.pSender->GetName().GetData() : ""));
    if (onNotify) onNotify(msg);
}

LRESULT SkinTestWindow::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_CREATE) {
        manager_.Init(window_);
        CDialogBuilder builder;
        CControlUI* root = builder.Create(skin_, nullptr, nullptr, &manager_);
        if (root) manager_.AttachDialog(std::unique_ptr<CControlUI>(root));
        manager_.AddNotifier(this);
        return 0;
    }
    LRESULT result = 0;
    if (manager_.MessageHandler(uMsg, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void PumpFor(DWORD ms, const std::function<bool()>& done) {
    DWORD start = ::GetTickCount();
    MSG msg;
    while (::GetTickCount() - start < ms) {
        if (done && done()) return;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (CPaintManagerUI::TranslateMessage(&msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PaintNow(HWND window) {
    ::InvalidateRect(window, nullptr, FALSE);
    ::UpdateWindow(window);
}

POINT Centre(CControlUI* control) {
    const RECT& rc = control->GetPos();
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

void MoveTo(HWND window, POINT client) {
    POINT screen = client;
    ::ClientToScreen(window, &screen);
    ::SetCursorPos(screen.x, screen.y);
    ::PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
}

void ClickAt(HWND window, POINT down, POINT up, const std::function<void()>& meanwhile) {
    MoveTo(window, down);
    ::PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(down.x, down.y));
    if (meanwhile) {
        PumpFor(100);
        meanwhile();
    }
    ::PostMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(up.x, up.y));
    ::PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(up.x, up.y));
    PumpFor(100);
}
