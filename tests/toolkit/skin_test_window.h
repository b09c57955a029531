#pragma once
// A real toolkit window built from skin text, for the toolkit's tests: it records every
// notification it gets, in order, as "type:sender".

#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/ui_automation.h"
#include "toolkit/control_win.h"
#include "toolkit/label_win.h"
#include "toolkit/list_element_win.h"
#include "toolkit/paint_manager_win.h"
#include "toolkit/window_wnd_win.h"

class SkinTestWindow : public CWindowWnd, public INotifyUI {
public:
    // Builds the skin (text starting with '<', or a file under the resource path) into a shown,
    // painted popup of the skin's size; throws if the skin gives no tree.
    explicit SkinTestWindow(const char* skin, HWND owner = nullptr);
    ~SkinTestWindow() override;

    CPaintManagerUI& manager() { return manager_; }
    template <typename Control = CControlUI>
    Control* Find(const char* name) {
        return static_cast<Control*>(manager_.FindControl(name));
    }
    // Throws for a missing control, so the case fails.
    template <typename Control = CControlUI>
    Control* Get(const char* name) {
        if (Control* control = Find<Control>(name)) return control;
        throw std::runtime_error(std::string("no control named ") + name);
    }
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
    CPaintManagerUI manager_;
    std::vector<std::string> notifications_;
};

// A control that logs "freed:name" when the toolkit frees it.
template <typename Base>
class Logged : public Base {
public:
    Logged(std::vector<std::string>& log, const std::string& name) : log_(log) {
        this->SetName(name.c_str());
    }
    ~Logged() override { log_.push_back("freed:" + this->GetName().str()); }

private:
    std::vector<std::string>& log_;
};

// A list element as the launcher builds one, `text` shown by a label inside.
inline CListContainerElementUI* Labelled(CListContainerElementUI* element, const std::string& text,
                                         int height) {
    element->SetFixedHeight(height);
    auto* label = new CLabelUI;
    label->SetText(text.c_str());
    element->Add(label);
    return element;
}

// Processes the thread's messages for `ms` milliseconds (or until `done` answers true).
void PumpFor(DWORD ms, const std::function<bool()>& done = nullptr);
// Makes the window paint now (layout, first-paint notification).
void PaintNow(HWND window);
POINT Centre(CControlUI* control);
using gatevane::testing::Rect;
// The pointer and the cursor move to `client`, so the window's mouse tracking sees it inside.
void MoveTo(HWND window, POINT client);
// A left click as the system delivers it: pressed at `down` (`meanwhile` runs once the press is
// handled), dragged to `up` and released there; then 100 ms of messages.
void ClickAt(HWND window, POINT down, POINT up, const std::function<void()>& meanwhile = nullptr);
inline void ClickAt(HWND window, POINT at) {
    ClickAt(window, at, at);
}
inline void Click(HWND window, CControlUI* control) {
    ClickAt(window, Centre(control));
}
