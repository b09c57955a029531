#pragma once
// One per window: owns the window's control tree, draws it double-buffered, routes the window's
// messages to its controls, keeps the focus, sends notifications to the window, and holds the
// skin's class defaults. It delegates the mouse routing (mouse_input_win.h), the fonts
// (font_table_win.h), the queued actions (action_queue_win.h), the tooltip (tooltip_win.h), the tab
// order (focus_win.h) and the deferred freeing of removed controls (deferred_release_win.h). The
// process-wide part is static: the instance and resource path (resource_paths_win.h), the window
// registry and the message loop (message_loop_win.h).

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/action_queue_win.h"
#include "toolkit/font_table_win.h"
#include "toolkit/image_cache_win.h"
#include "toolkit/mouse_input_win.h"
#include "toolkit/skin_values.h"
#include "toolkit/tooltip_win.h"
#include "toolkit/ui_types_win.h"

class CPaintManagerUI {
public:
    CPaintManagerUI();
    ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    static void SetInstance(HINSTANCE instance);
    static HINSTANCE GetInstance();
    // The executable's folder with a trailing separator.
    static CDuiString GetInstancePath();
    static void SetResourcePath(const char* path);
    static const CDuiString& GetResourcePath();
    // Runs until the quit message; gives every queued message to the filters of its window first.
    static void MessageLoop();
    // The pre-message filtering of MessageLoop, for other loops (the modal one): true if handled.
    static bool TranslateMessage(const MSG* msg);
    // The manager of a live window, or null (the window is gone, or is not a toolkit window).
    static CPaintManagerUI* FromWindow(HWND window);

    void Init(HWND window);
    HWND GetPaintWindow() const { return window_; }
    // Takes the tree (owned from now on) and lays it out at the next paint.
    bool AttachDialog(std::unique_ptr<CControlUI> root);
    CControlUI* GetRoot() const { return root_.get(); }

    bool AddNotifier(INotifyUI* notifier);
    bool RemoveNotifier(INotifyUI* notifier);
    bool AddPreMessageFilter(IMessageFilterUI* filter);
    bool RemovePreMessageFilter(IMessageFilterUI* filter);
    void SendNotify(CControlUI* control, const char* type, WPARAM wParam = 0, LPARAM lParam = 0);

    // The window's message handling; true if the message was handled, with its result.
    bool MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    CControlUI* FindControl(const char* name) const;
    CControlUI* FindControl(POINT pt) const;

    const RECT& GetCaptionRect() const { return caption_; }
    void SetCaptionRect(const RECT& rc) { caption_ = rc; }
    SIZE GetRoundCorner() const { return roundCorner_; }
    void SetRoundCorner(int cx, int cy) { roundCorner_ = SIZE{cx, cy}; }
    SIZE GetInitSize() const { return initSize_; }
    void SetInitSize(int cx, int cy);

    // Fonts by the skin's ids; unknown ids give the default font.
    void AddFont(int id, const char* faceName, int size, bool bold, bool underline, bool isDefault);
    HFONT GetFont(int id) const;
    // The skin's fonts of another window (a popup shows its window's controls in them).
    void CopyFontsFrom(const CPaintManagerUI& other);
    void AddDefaultAttributeList(const char* className, const char* list);
    const char* GetDefaultAttributeList(const char* className) const;
    ImageCache& Images() { return images_; }

    CControlUI* GetFocus() const { return focus_; }
    // Moves the keyboard focus to the control (null: to no control), raising "killfocus" and
    // "setfocus".
    void SetFocus(CControlUI* control);
    // Records a focus change that a native child window made.
    void SetFocusNeeded(CControlUI* control);
    void SetNextTabControl(bool forward);

    void Invalidate(const RECT& rc);
    void NeedUpdate();
    // A control leaves the tree: forget every reference to it.
    void ReapObjects(CControlUI* control);
    // Frees the control now, or after the event being dispatched if one is (a control may remove
    // its own list while handling its own click).
    void DeleteControlLater(CControlUI* control);
    // Default action of a control, run from the message queue (assistive technology asks for it
    // from another process and must not wait for, say, a modal box the click opens).
    void PostDefaultAction(CControlUI* control);
    // A focus change asked for the same way (it raises notifications the window answers).
    void PostFocus(CControlUI* control);
    // Gives the control an event, as the mouse or keyboard would.
    void SendEvent(CControlUI* control, int type, POINT pt, WPARAM wParam = 0, LPARAM lParam = 0);

private:
    void Paint();
    bool IsInTree(const CControlUI* control) const;
    bool PreMessageHandler(const MSG* msg);
    // Forgets every control the window remembers (hovered, captured, focused, with its tooltip)
    // for which `gone` is true.
    template <typename Gone>
    void ForgetControlsIf(Gone gone) {
        mouse_.ForgetIf(gone);
        if (focus_ && gone(focus_)) focus_ = nullptr;
        if (toolTip_.Control() && gone(toolTip_.Control())) toolTip_.ForgetControl();
    }

    HWND window_ = nullptr;
    std::unique_ptr<CControlUI> root_;
    MouseInput mouse_;
    CControlUI* focus_ = nullptr;
    bool needLayout_ = true;
    bool firstLayoutDone_ = false;
    RECT caption_{};
    SIZE roundCorner_{};
    SIZE initSize_{};
    std::vector<INotifyUI*> notifiers_;
    std::vector<IMessageFilterUI*> filters_;
    FontTable fonts_;
    std::map<std::string, std::string> defaults_;
    ImageCache images_;
    ToolTip toolTip_;
    ActionQueue actions_;
};
