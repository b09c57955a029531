#pragma once
// Drives a window through the platform's accessibility interface (MSAA), as a screen reader
// would: tests find, read and press the real UI of another process, or of their own, by the
// controls' names in the skin. Every call asks the window for a fresh accessible object, so a
// window that rebuilt its controls is read as it is now. Texts are ANSI (the system code page).

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace gatevane::testing {

// "left,top,right,bottom", for comparing places in one readable assertion.
std::string Rect(const RECT& rect);

// One child of a window's accessible object, as read at one moment.
struct UiControl {
    long childId = 0;
    std::string name;         // what a person reads on it
    std::string controlName;  // its name in the skin
    long role = 0;
    long state = 0;
    std::string value;
    RECT screen{};
};

class UiWindow {
public:
    // A visible top-level window of the class, of any process, waiting at most `timeoutMs`.
    static std::optional<UiWindow> Find(const char* windowClass, DWORD timeoutMs);
    explicit UiWindow(HWND window) : window_(window) {}

    HWND handle() const { return window_; }
    // The window's children in drawing order; empty once the window is gone.
    std::vector<UiControl> Controls() const;
    std::optional<UiControl> Control(const std::string& controlName) const;

    // Asks for the control's default action (click, select or focus); the window runs it later,
    // from its message queue. False if the control is missing or refuses.
    bool Click(const std::string& controlName) const;
    // The same for a child without a name in the skin (an element of a list), by its child id.
    bool ClickChild(long childId) const;
    // Replaces an edit box's text.
    bool SetText(const std::string& controlName, const std::string& text) const;
    // Asks for the keyboard focus; it moves later, from the window's message queue.
    bool Focus(const std::string& controlName) const;
    // The control's value ("" if missing) and its label.
    std::string Text(const std::string& controlName) const;
    std::string Name(const std::string& controlName) const;
    // The control's STATE_SYSTEM_ flags, -1 if missing.
    long State(const std::string& controlName) const;
    // False for a missing control too.
    bool IsVisible(const std::string& controlName) const;
    bool IsEnabled(const std::string& controlName) const;
    bool IsChecked(const std::string& controlName) const;
    // Posts a key press and release to the window where its thread has the keyboard focus (an
    // edit box the window hosts), or to the window itself.
    bool PressKey(UINT vk) const;
    // Waits until the control exists and satisfies `predicate`, dispatching the calling thread's
    // messages meanwhile (so a window of the same thread goes on running).
    bool WaitFor(const std::string& controlName,
                 const std::function<bool(const UiControl&)>& predicate, DWORD timeoutMs) const;

private:
    HWND window_;
};

}  // namespace gatevane::testing
