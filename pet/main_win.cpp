// OstrelPet's entry point: started by the game hall with "/Title:<window>", it shows the pet movie
// in a layered window in the lower right corner of the screen until that window has gone.
//
// Start-up, in order: resources, main window class, single instance, command line, hidden main
// window, accelerators, OLE, colour-depth hook, the movie player's host, the message loop; then
// everything is let go in the opposite order.

#include <windows.h>
#include <ole2.h>

#include <memory>
#include <string>

#include "pet/color_depth_hook_win.h"
#include "pet/flash_host_win.h"
#include "pet/main_window_win.h"
#include "pet/pet_window_win.h"
#include "pet/resource.h"
#include "pet/title_switch.h"

namespace ostrelpet {
namespace {

constexpr int kStringSize = 100;
// The class a running copy's main window has (class names compare without regard to case).
constexpr char kRunningCopyClass[] = "OstrelPet";

std::string LoadText(HINSTANCE instance, UINT id) {
    char text[kStringSize] = {};
    ::LoadStringA(instance, id, text, kStringSize);
    return text;
}

// OLE for the thread, for as long as the object lives.
class OleSession {
public:
    OleSession() { ::OleInitialize(nullptr); }
    ~OleSession() { ::OleUninitialize(); }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;
};

// The display's depth as the screen reports it.
int ScreenBitsPerPixel() {
    HDC screen = ::GetDC(nullptr);
    const int bits = ::GetDeviceCaps(screen, BITSPIXEL);
    ::ReleaseDC(nullptr, screen);
    return bits;
}

int RunMessageLoop(HACCEL accelerators) {
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!::TranslateAcceleratorA(message.hwnd, accelerators, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

// From the OLE session on; returns the program's exit code.
int RunPet(HINSTANCE instance, HWND mainWindow, HACCEL accelerators) {
    OleSession ole;
    bool hooked = false;
    if (ScreenBitsPerPixel() != 32) {
        switch (ColorDepthHook::Install()) {
            case HookResult::Installed:
                hooked = true;
                break;
            case HookResult::NoGdi:
                return 0;
            case HookResult::NotWritable:
                return 1;
        }
    }
    int exitCode = 0;
    {
        auto host = std::make_unique<FlashHost>();
        // Without a player the program stays, windowless, until its main window is destroyed.
        host->CreateHost(kFlashPlayerClass, WS_EX_LAYERED, WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS,
                         mainWindow, instance);
        exitCode = RunMessageLoop(accelerators);
    }
    if (hooked) ColorDepthHook::Remove();
    return exitCode;
}

int Run(HINSTANCE instance, const char* commandLine) {
    const std::string title = LoadText(instance, IDS_APP_TITLE);
    const std::string className = LoadText(instance, IDC_OSTRELPET);
    RegisterMainWindowClass(instance, className.c_str());
    if (::FindWindowA(kRunningCopyClass, nullptr)) return 0;
    if (!commandLine || !*commandLine) {
        const std::string failed = LoadText(instance, IDS_START_FAILED);
        ::MessageBoxA(nullptr, failed.c_str(), title.c_str(), MB_OK);
        return 0;
    }
    SetWatchedTitle(ParseTitleSwitch(commandLine));
    HWND mainWindow = CreateMainWindow(instance, className.c_str(), title.c_str());
    if (!mainWindow) return 0;
    HACCEL accelerators = ::LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDC_OSTRELPET));
    return RunPet(instance, mainWindow, accelerators);
}

}  // namespace
}  // namespace ostrelpet

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    try {
        return ostrelpet::Run(instance, commandLine);
    } catch (...) {
        return 1;
    }
}
