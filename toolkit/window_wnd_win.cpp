#include "toolkit/window_wnd_win.h"

#include <algorithm>

#include "toolkit/paint_manager_win.h"

HWND CWindowWnd::Create(HWND hwndParent, const char* name, DWORD style, DWORD exStyle, int x, int y,
                        int cx, int cy, HMENU menu) {
    if (!RegisterWindowClass()) return nullptr;
    window_ = ::CreateWindowExA(exStyle, GetWindowClassName(), name, style, x, y, cx, cy,
                                hwndParent, menu, CPaintManagerUI::GetInstance(), this);
    return window_;
}

bool CWindowWnd::RegisterWindowClass() {
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExA(CPaintManagerUI::GetInstance(), GetWindowClassName(), &existing)) {
        return true;
    }
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = GetClassStyle();
    wc.lpfnWndProc = &CWindowWnd::WindowProc;
    wc.hInstance = CPaintManagerUI::GetInstance();
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = GetWindowClassName();
    return ::RegisterClassExA(&wc) != 0;
}

const char* CWindowWnd::GetSuperClassName() const {
    return nullptr;
}

UINT CWindowWnd::GetClassStyle() const {
    return 0;
}

void CWindowWnd::ShowWindow(bool show, bool takeFocus) {
    if (!::IsWindow(window_)) return;
    ::ShowWindow(window_, show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

UINT CWindowWnd::ShowModal() {
    if (!::IsWindow(window_)) return 0;
    HWND owner = ::GetWindow(window_, GW_OWNER);
    ::ShowWindow(window_, SW_SHOWNORMAL);
    if (owner) ::EnableWindow(owner, FALSE);
    UINT result = 0;
    modalResult_ = &result;
    HWND self = window_;
    MSG msg;
    bool quit = false;
    while (::IsWindow(self)) {
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            quit = got == 0;
            break;
        }
        if (CPaintManagerUI::TranslateMessage(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    // A window the quit message left open must not write into this finished call.
    if (::IsWindow(self)) modalResult_ = nullptr;
    if (owner) {
        ::EnableWindow(owner, TRUE);
        ::SetFocus(owner);
    }
    // The quit message belongs to the outer loop.
    if (quit) ::PostQuitMessage(static_cast<int>(msg.wParam));
    return result;
}

void CWindowWnd::Close(UINT answer) {
    if (::IsWindow(window_)) ::PostMessageA(window_, WM_CLOSE, static_cast<WPARAM>(answer), 0);
}

void CWindowWnd::CenterWindow() {
    if (!::IsWindow(window_)) return;
    RECT rc;
    ::GetWindowRect(window_, &rc);
    HWND around = ::GetWindow(window_, GW_OWNER);
    RECT area;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoA(::MonitorFromWindow(around ? around : window_, MONITOR_DEFAULTTONEAREST),
                      &monitor);
    area = monitor.rcWork;
    if (around && ::IsWindowVisible(around) && !::IsIconic(around)) ::GetWindowRect(around, &area);
    int w = rc.right - rc.left;
    int h = rc.bottom - rc.top;
    int x = (area.left + area.right - w) / 2;
    int y = (area.top + area.bottom - h) / 2;
    // Keep the whole window on the work area.
    x = std::max<int>(monitor.rcWork.left, std::min<int>(x, monitor.rcWork.right - w));
    y = std::max<int>(monitor.rcWork.top, std::min<int>(y, monitor.rcWork.bottom - h));
    ::SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::SetIcon(UINT answer) {
    HINSTANCE instance = CPaintManagerUI::GetInstance();
    auto load = [&](int size) {
        return static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(answer), IMAGE_ICON, size,
                                               size, LR_DEFAULTCOLOR | LR_SHARED));
    };
    if (HICON big = load(::GetSystemMetrics(SM_CXICON))) {
        ::SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    }
    if (HICON small = load(::GetSystemMetrics(SM_CXSMICON))) {
        ::SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    }
}

LRESULT CWindowWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(window_, message, wParam, lParam);
}

LRESULT CWindowWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(window_, message, wParam, lParam);
}

LRESULT CWindowWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(window_, message, wParam, lParam);
}

void CWindowWnd::OnFinalMessage(HWND) {}

LRESULT CALLBACK CWindowWnd::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWindowWnd* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<CWindowWnd*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    }
    if (!self) return ::DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_CLOSE && self->modalResult_) *self->modalResult_ = static_cast<UINT>(wParam);
    // No exception may cross the window procedure into the system.
    try {
        if (message != WM_NCDESTROY) return self->HandleMessage(message, wParam, lParam);
        LRESULT result = self->HandleMessage(message, wParam, lParam);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        self->modalResult_ = nullptr;
        self->OnFinalMessage(window);
        return result;
    } catch (...) {
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}
