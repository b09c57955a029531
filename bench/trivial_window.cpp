// The reference for the launcher's start-up: the least a Windows program does to show a window
// (a class, a window, a message loop), so the ratio shows what the launcher adds on top of Wine.
#include <windows.h>

namespace {

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "TrivialWindow";
    ::RegisterClassA(&windowClass);
    ::CreateWindowExA(0, "TrivialWindow", "trivial", WS_POPUP | WS_VISIBLE, 100, 100, 720, 460,
                      nullptr, nullptr, instance, nullptr);
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) ::DispatchMessageA(&message);
    return 0;
}
