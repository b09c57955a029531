#pragma once
// A window's queued control actions: default actions and focus requests that run from the
// message queue (assistive technology asks for them from another process and must not wait for,
// say, a modal box a click opens).

#include <windows.h>

#include <functional>
#include <vector>

class CControlUI;

class ActionQueue {
public:
    // The message posted to the window for each queued action.
    static constexpr UINT kMessage = WM_APP + 0x3A1;

    void PostDefaultAction(HWND window, CControlUI* control);
    void PostFocus(HWND window, CControlUI* control);
    // Runs what is queued, within one dispatch, skipping controls `alive` no longer accepts.
    void Run(const std::function<bool(const CControlUI*)>& alive);
    // Drops the actions of every control `gone` names.
    void ForgetIf(const std::function<bool(const CControlUI*)>& gone);

private:
    struct Action {
        CControlUI* control;
        bool focus;  // else the default action
    };
    std::vector<Action> pending_;
};
