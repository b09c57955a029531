#pragma once
// A window object: registers its window class, routes the window's messages to HandleMessage,
// runs modally, and is told of its last message (windows delete themselves there).

#include <windows.h>

#include "toolkit/ui_string.h"

// The style of the launcher's skinned top-level windows: a visible popup with caption, border and
// system menu that clips its children and siblings (the skin draws the frame).
constexpr DWORD kSkinnedWindowStyle =
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
static_assert(kSkinnedWindowStyle == 0x96C80000, "the launcher's windows keep this style");

class CWindowWnd {
public:
    CWindowWnd() = default;
    virtual ~CWindowWnd() = default;
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    HWND GetHWND() const { return window_; }
    operator HWND() const { return window_; }

    HWND Create(HWND hwndParent, const char* name, DWORD style, DWORD exStyle,
                int x = CW_USEDEFAULT, int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT,
                int cy = CW_USEDEFAULT, HMENU menu = nullptr);
    void ShowWindow(bool show = true, bool takeFocus = true);
    // Runs a message loop with the owner disabled until the window is destroyed; the result is
    // the code given to Close.
    UINT ShowModal();
    // Closes the window; a modal loop returns `answer`.
    void Close(UINT answer = IDOK);
    void CenterWindow();
    void SetIcon(UINT answer);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

protected:
    virtual const char* GetWindowClassName() const = 0;
    virtual const char* GetSuperClassName() const;
    virtual UINT GetClassStyle() const;
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnFinalMessage(HWND window);

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;

private:
    bool RegisterWindowClass();
    UINT* modalResult_ = nullptr;
};
