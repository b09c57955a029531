// Drives a window of another process through its accessibility interface, step by step, for the
// demo: it waits for states, types, clicks and takes screen pictures as a person watching would.
//
// usage: WindowDriver STEP...   (steps run in order; the first that fails ends with status 1)
//   --window CLASS         the window the next steps act on (waits for it to show)
//   --gone CLASS           waits until no window of CLASS shows
//   --wait NAME=TEXT       waits until the control's label or value holds TEXT
//   --set NAME=TEXT        replaces an edit box's text
//   --copy FROM=TO         puts what FROM reads (its value) into the edit box TO, as a person
//                          types what they read
//   --click NAME           the control's default action
//   --focus NAME           gives the control the keyboard focus (the one that had it loses it)
//   --front -              makes the window the active one, as a click on it would
//   --press NAME           a mouse click near the control's right edge (a drop-down's arrow)
//   --item N               picks element N (from 0) of the window's drop-down list
//   --print NAME           prints "NAME: label | value"
//   --list -               prints every control: name in the skin, label, value
//   --shot FILE.png        the window on the screen, with its open drop-down box
//   --pause MS
#include <windows.h>
#include <objbase.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "tests/support/ui_automation.h"
#include "tools/skin_preview/window_capture_win.h"

namespace {

using gatevane::testing::UiControl;
using gatevane::testing::UiWindow;

constexpr DWORD kWait = 20000;
constexpr char kDropBoxClass[] = "GatevaneComboDrop";

bool Split(const std::string& text, std::string& name, std::string& value) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) return false;
    name = text.substr(0, equals);
    value = text.substr(equals + 1);
    return true;
}

bool NoWindowOf(const char* windowClass) {
    const DWORD deadline = ::GetTickCount() + kWait;
    while (UiWindow::Find(windowClass, 0)) {
        if (static_cast<long>(deadline - ::GetTickCount()) <= 0) return false;
        ::Sleep(50);
    }
    return true;
}

RECT WithDropBox(HWND window) {
    RECT area;
    ::GetWindowRect(window, &area);
    if (std::optional<UiWindow> drop = UiWindow::Find(kDropBoxClass, 0)) {
        RECT box;
        ::GetWindowRect(drop->handle(), &box);
        ::UnionRect(&area, &area, &box);
    }
    return area;
}

// A real click: the pointer moves there and the button goes down and up, as the mouse would do.
bool PressNearRightEdge(const UiWindow& window, const std::string& name) {
    std::optional<UiControl> control = window.Control(name);
    if (!control) return false;
    ::SetCursorPos(control->screen.right - 12, (control->screen.top + control->screen.bottom) / 2);
    ::Sleep(100);
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return ::SendInput(2, clicks, sizeof(INPUT)) == 2;
}

bool PickListElement(const UiWindow& window, int index) {
    int seen = 0;
    for (const UiControl& control : window.Controls()) {
        if (control.role == ROLE_SYSTEM_LISTITEM && seen++ == index) {
            return window.ClickChild(control.childId);
        }
    }
    return false;
}

// One step; false (with a message on stderr) when it cannot be done.
bool RunStep(const std::string& step, const std::string& argument,
             std::optional<UiWindow>& window) {
    std::string name;
    std::string value;
    if (step == "--window") {
        window = UiWindow::Find(argument.c_str(), kWait);
        return window.has_value();
    }
    if (step == "--gone") return NoWindowOf(argument.c_str());
    if (step == "--pause") {
        ::Sleep(static_cast<DWORD>(std::atoi(argument.c_str())));
        return true;
    }
    if (!window) return false;
    if (step == "--item") return PickListElement(*window, std::atoi(argument.c_str()));
    if (step == "--wait" && Split(argument, name, value)) {
        return window->WaitFor(
            name,
            [&](const UiControl& c) {
                return c.name.find(value) != std::string::npos ||
                       c.value.find(value) != std::string::npos;
            },
            kWait);
    }
    if (step == "--set" && Split(argument, name, value)) return window->SetText(name, value);
    if (step == "--copy" && Split(argument, name, value)) {
        return window->SetText(value, window->Text(name));
    }
    if (step == "--click") return window->Click(argument);
    if (step == "--focus") return window->Focus(argument);
    if (step == "--press") return PressNearRightEdge(*window, argument);
    if (step == "--front") return ::SetForegroundWindow(window->handle()) != FALSE;
    if (step == "--print") {
        std::printf("  %s: %s | %s\n", argument.c_str(), window->Name(argument).c_str(),
                    window->Text(argument).c_str());
        return true;
    }
    if (step == "--list") {
        for (const UiControl& control : window->Controls()) {
            std::printf("  %-16s %-24s %s\n", control.controlName.c_str(), control.name.c_str(),
                        control.value.c_str());
        }
        return true;
    }
    if (step == "--shot") {
        std::string error;
        if (SaveScreenPicture(WithDropBox(window->handle()), argument, error)) return true;
        std::fprintf(stderr, "WindowDriver: %s\n", error.c_str());
        return false;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::optional<UiWindow> window;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!RunStep(argv[i], argv[i + 1], window)) {
            std::fprintf(stderr, "WindowDriver: %s %s failed\n", argv[i], argv[i + 1]);
            return 1;
        }
    }
    return argc % 2 == 1 ? 0 : 2;
}
