#include "pet/pet_window_win.h"

#include <windowsx.h>

#include <string>

#include "pet/click_rule.h"
#include "pet/flash_host_win.h"
#include "pet/watch_counter.h"

namespace ostrelpet {

namespace {

// The pet's process-wide state: one pet window per process.
struct PetState {
    std::string watchedTitle;
    WatchCounter watch;
    ScreenPoint clickStart;
    ScreenPoint clickEnd;
};

PetState& State() {
    static PetState state;
    return state;
}

// The watched window, or none; an empty title watches nothing (it would match any untitled
// window).
HWND WatchedWindow() {
    const std::string& title = State().watchedTitle;
    if (title.empty()) return nullptr;
    return ::FindWindowA(nullptr, title.c_str());
}

ScreenPoint CursorPosition() {
    POINT point{};
    ::GetCursorPos(&point);
    return {point.x, point.y};
}

// Where the cursor was when the message being handled arrived: a press's own place, however late
// the pet gets to handle it (a busy machine must not turn a drag into a click).
ScreenPoint MessagePosition() {
    const DWORD at = ::GetMessagePos();
    return {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
}

FlashHost* HostOf(HWND window) {
    return reinterpret_cast<FlashHost*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
}

bool GoesToWindowlessControl(UINT message) {
    switch (message) {
        case WM_SETCURSOR:
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_CHAR:
        case WM_TIMER:
            return true;
        default:
            return message >= WM_MOUSEMOVE && message <= WM_MOUSEWHEEL;
    }
}

// Everything the pet does not handle itself: the windowless control first, then the platform.
LRESULT Forward(FlashHost& host, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    IOleInPlaceObjectWindowless* control = host.windowlessObject();
    LRESULT result = 0;
    if (control && GoesToWindowlessControl(message) &&
        control->OnWindowMessage(message, wParam, lParam, &result) == S_OK) {
        return result;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void OnSize(FlashHost& host, HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    IOleInPlaceObject* control = host.windowlessObject();
    if (!control) control = host.inPlaceObject();
    if (control) control->SetObjectRects(&client, &client);
}

// HTTRANSPARENT over pixels the pet leaves clear, HTCLIENT over the pet; no answer when the
// control cannot tell.
bool HitTest(FlashHost& host, HWND window, LPARAM lParam, LRESULT* result) {
    IViewObjectEx* view = host.viewObjectEx();
    if (!view) return false;
    RECT windowRect{};
    ::GetWindowRect(window, &windowRect);
    const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    DWORD hit = HITRESULT_OUTSIDE;
    if (FAILED(view->QueryHitPoint(DVASPECT_CONTENT, &windowRect, point, 1, &hit))) return false;
    *result = hit == HITRESULT_OUTSIDE ? HTTRANSPARENT : HTCLIENT;
    return true;
}

void WatchTick() {
    if (State().watch.Tick(WatchedWindow() != nullptr)) ::PostQuitMessage(0);
}

// The platform moves the window with the mouse until the button comes up (the caption trick);
// then the button-up is handed to the window itself, which decides whether it was a click.
void OnLeftButtonDown(HWND window) {
    ::ReleaseCapture();
    State().clickStart = MessagePosition();
    ::SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
    ::SendMessageA(window, WM_LBUTTONUP, 0, 0);
}

void OnLeftButtonUp() {
    PetState& state = State();
    state.clickEnd = CursorPosition();
    if (!IsClick(state.clickStart, state.clickEnd)) return;
    if (HWND watched = WatchedWindow()) ::PostMessageA(watched, kPetClickMessage, 0, 0);
}

LRESULT Handle(FlashHost& host, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            OnSize(host, window);
            return 0;
        case WM_PAINT:
            if (host.layered()) break;
            {
                PAINTSTRUCT paint;
                HDC dc = ::BeginPaint(window, &paint);
                host.RenderFrame(dc, &paint.rcPaint, paint.fErase != FALSE);
                ::EndPaint(window, &paint);
            }
            return 0;
        case WM_NCHITTEST: {
            LRESULT hit = 0;
            if (HitTest(host, window, lParam, &hit)) return hit;
            break;
        }
        case WM_TIMER:
            if (wParam == kWatchTimer) WatchTick();
            break;
        case WM_LBUTTONDOWN:
            OnLeftButtonDown(window);
            break;
        case WM_LBUTTONUP:
            OnLeftButtonUp();
            break;
        case WM_RBUTTONDOWN:
            return 1;  // the control sees no right button, so it shows no menu
    }
    return Forward(host, window, message, wParam, lParam);
}

LRESULT CALLBACK PetWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return 0;
    }
    FlashHost* host = HostOf(window);
    if (!host) return ::DefWindowProcA(window, message, wParam, lParam);
    try {
        return Handle(*host, window, message, wParam, lParam);
    } catch (...) {
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

void SetWatchedTitle(const std::string& title) {
    State().watchedTitle = title;
}

bool RegisterPetWindowClass(HINSTANCE instance) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = PetWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kPetWindowClass;
    return ::RegisterClassA(&windowClass) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace ostrelpet
