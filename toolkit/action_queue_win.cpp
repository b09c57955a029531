#include "toolkit/action_queue_win.h"

#include <algorithm>

#include "toolkit/control_win.h"
#include "toolkit/deferred_release_win.h"

void ActionQueue::PostDefaultAction(HWND window, CControlUI* control) {
    pending_.push_back(Action{control, false});
    ::PostMessageA(window, kMessage, 0, 0);
}

void ActionQueue::PostFocus(HWND window, CControlUI* control) {
    pending_.push_back(Action{control, true});
    ::PostMessageA(window, kMessage, 0, 0);
}

void ActionQueue::Run(const std::function<bool(const CControlUI*)>& alive) {
    std::vector<Action> actions;
    actions.swap(pending_);
    deferred_release::DispatchScope scope;
    for (const Action& action : actions) {
        // The control may have left the tree since it was asked for.
        if (!alive(action.control)) continue;
        if (action.focus) {
            action.control->SetFocus();
        } else {
            action.control->DoDefaultAction();
        }
    }
}

void ActionQueue::ForgetIf(const std::function<bool(const CControlUI*)>& gone) {
    pending_.erase(std::remove_if(pending_.begin(), pending_.end(),
                                  [&gone](const Action& action) { return gone(action.control); }),
                   pending_.end());
}
