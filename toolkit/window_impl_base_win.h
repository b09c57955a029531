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
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    CControlUI* CreateControl(const char* pstrClass) override;

protected:
    virtual CDuiString GetSkinFolder() = 0;
    virtual CDuiString GetSkinFile() = 0;
    virtual void InitWindow();
    // Return or Escape pressed: true swallows the key. By default Escape closes the window.
    virtual bool ResponseDefaultKeyEvent(WPARAM wParam);
    virtual const char* GetResourceID() const;

    virtual LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnNcActivate(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnNcCalcSize(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnNcPaint(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnNcHitTest(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnSize(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    CPaintManagerUI m_PaintManager;
};

// The rules every frameless skinned window shares (the message box, the registration window).
namespace skinned_window {
// Round window corners of the skin's size (nothing when minimised or the size is 0,0).
void ApplyRoundCorners(HWND hWnd, const CPaintManagerUI& manager);
// HTCAPTION inside the skin's caption band except over buttons and input boxes, HTCLIENT
// elsewhere.
LRESULT HitTest(HWND hWnd, const CPaintManagerUI& manager, LPARAM lParam);
// Removes the system caption and frame bits the window was created with.
void DropSystemFrame(HWND hWnd);
}  // namespace skinned_window
