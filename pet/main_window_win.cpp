#include "pet/main_window_win.h"

#include "pet/resource.h"

namespace ostrelpet {

namespace {

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                ::EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            break;
    }
    return FALSE;
}

LRESULT OnCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
        case IDM_ABOUT:
            ::DialogBoxParamA(
                reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(window, GWLP_HINSTANCE)),
                MAKEINTRESOURCEA(IDD_ABOUTBOX), window, AboutProc, 0);
            return 0;
        case IDM_EXIT:
            ::DestroyWindow(window);
            return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            return OnCommand(window, message, wParam, lParam);
        case WM_PAINT:
            ::ValidateRect(window, nullptr);
            return 0;
        case WM_LBUTTONDOWN:
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

bool RegisterMainWindowClass(HINSTANCE instance, const char* className) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_OSTRELPET));
    windowClass.hIconSm = ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_SMALL));
    windowClass.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEA(IDC_OSTRELPET);
    windowClass.lpszClassName = className;
    return ::RegisterClassExA(&windowClass) != 0;
}

HWND CreateMainWindow(HINSTANCE instance, const char* className, const char* title) {
    const int x = ::GetSystemMetrics(SM_CXSCREEN) - kPetSize;
    const int y = ::GetSystemMetrics(SM_CYSCREEN) - 225;  // above where a task bar would be
    HWND window = ::CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x,
                                    y, kPetSize, kPetSize, nullptr, nullptr, instance, nullptr);
    if (window) ::UpdateWindow(window);
    return window;
}

}  // namespace ostrelpet
