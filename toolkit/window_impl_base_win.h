#pragma once
// The base of a skinned top-level window: builds its skin at creation, has no system frame (the
// skin draws it), is dragged by the skin's caption band, gets rounded corners from the skin, and
// routes notifications to Notify and unknown messages to HandleCustomMessage.

#include "toolkit/paint_manager_win.h"
#include "toolkit/window_wnd_win.h"

class WindowImplBase : public CWindowWnd,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback {
public:
    WindowImplBase() = default;
    ~WindowImplBase() override = default;

    void Notify(TNotifyUI& msg) override;
    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    CControlUI* CreateControl(const char* className) override;

protected:
    virtual CDuiString GetSkinFolder() = 0;
    virtual CDuiString GetSkinFile() = 0;
    virtual void InitWindow();
    // Return or Escape pressed: true swallows the key. By default Escape closes the window.
    virtual bool ResponseDefaultKeyEvent(WPARAM wParam);
    virtual const char* GetResourceID() const;

    virtual LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcActivate(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcPaint(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    CPaintManagerUI paintManager_;
};

// The rules every frameless skinned window shares (the message box, the registration window).
namespace skinned_window {
// Round window corners of the skin's size (nothing when minimised or the size is 0,0).
void ApplyRoundCorners(HWND window, const CPaintManagerUI& manager);
// HTCAPTION inside the skin's caption band except over buttons and input boxes, HTCLIENT
// elsewhere.
LRESULT HitTest(HWND window, const CPaintManagerUI& manager, LPARAM lParam);
// Removes the system caption and frame bits the window was created with.
void DropSystemFrame(HWND window);
// The frame's messages of a skinned window that has no window base of its own: round corners at
// WM_SIZE (left unhandled), no system frame, dragging by the caption band. True with `result` when
// the message is handled.
bool HandleFrameMessage(HWND window, const CPaintManagerUI& manager, UINT message, WPARAM wParam,
                        LPARAM lParam, LRESULT& result);
}  // namespace skinned_window
