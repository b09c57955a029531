#pragma once
// The launcher's skinned modal message box ("MessageBox//MessageBox.xml"): a text, up to three
// buttons, a close button and a caption band to drag it by. The login and registration windows
// show their notices in it; it deletes itself after its last message.

#include "toolkit/paint_manager_win.h"
#include "toolkit/window_wnd_win.h"

namespace gatevane {

// Button layouts of SetContent.
constexpr unsigned kMessageBoxOneButton = 0;   // "button1" captioned "确定"
constexpr unsigned kMessageBoxTwoButtons = 1;  // "button0" and "button2"

// Result codes: "button0"/"button1" give 1, "button2"/"closebtn" give 2.
constexpr unsigned kMessageBoxAccepted = 1;
constexpr unsigned kMessageBoxDeclined = 2;

class MessageBoxWindow : public CWindowWnd, public INotifyUI, public IMessageFilterUI {
public:
    void SetContent(const char* text, unsigned style);

    void Notify(TNotifyUI& msg) override;
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

protected:
    const char* GetWindowClassName() const override;
    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    LRESULT OnCreate();

    CPaintManagerUI paintManager_;
};

// Shows the box modally over `owner` and returns the code it was closed with (0 if it could not
// be shown as the skin's box; the platform's plain box then shows the text instead).
unsigned ShowMessageBox(CWindowWnd& owner, const char* text, unsigned style);

}  // namespace gatevane
