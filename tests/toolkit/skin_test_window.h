#pragma once
// A real toolkit window built from skin text, for the toolkit's tests: it records every
// notification it gets, in order, as "type:sender".

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/control_win.h"
#include "toolkit/paint_manager_win.h"
#include "toolkit/window_wnd_win.h"

class SkinTestWindow : public CWindowWnd, public INotifyUI {
public:
    // Builds the skin (text starting with '<', or a file under the resource path) into a shown
    // popup window of the skin's size. `built` tells whether the skin gave a tree.
    explicit SkinTestWindow(const char* skin, HWND owner = nullptr);
    ~SkinTestWindow() override;

    bool built() const { return built_; }
    CPaintManagerUI& manager() { return manager_; }
    template <typename Control>
    Control* Find(const char* name) {
        return static_cast<Control*>(manager_.FindControl(name));
    }
    // Notifications so far, as "type:sender name".
    const std::vector<std::string>& notifications() const { return notifications_; }
    void ClearNotifications() { notifications_.clear(); }
    // Called for each notification after it is recorded.
    std::function<void(TNotifyUI&)> onNotify;

    void Notify(TNotifyUI& msg) override;

protected:
    const char* GetWindowClassName() const override { return "GatevaneSkinTest"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

private:
    const char* skin_;
    bool built_ = false;
    CPaintManagerUI manager_;
    std::vector<std::string> notifications_;
};

// Processes the thread's messages for `ms` milliseconds (or until `done` answers true).
void PumpFor(DWORD ms, const std::function<bool()>& done = nullptr);
// Makes the window paint now (layout, first-paint notification).
void PaintNow(HWND window);

// The middle of a control's place.
POINT Centre(CControlUI* control);
// "left,top,right,bottom"
std::string Rect(const RECT& rc);
// The pointer moves to `client`; the cursor goes there too, so the window's mouse tracking sees it
// inside.
void MoveTo(HWND window, POINT client);
// A left click as the system delivers it: the pointer moves to `down`, the button goes down there
// (`meanwhile` runs once the press is handled), the pointer is dragged to `up` and the button comes
// up there; then the messages are processed for 100 ms.
void ClickAt(HWND window, POINT down, POINT up, const std::function<void()>& meanwhile = nullptr);
inline void ClickAt(HWND window, POINT at) {
    ClickAt(window, at, at);
}
inline void Click(HWND window, CControlUI* control) {
    ClickAt(window, Centre(control));
}
