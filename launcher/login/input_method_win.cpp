#include "launcher/login/input_method_win.h"

namespace gatevane {

void InputMethodSwitch::Take(HWND window) {
    if (context_) return;
    window_ = window;
    context_ = ::ImmGetContext(window);
}

void InputMethodSwitch::Allow(bool allowed, HWND field) {
    if (!window_) return;
    HIMC context = allowed ? context_ : nullptr;
    ::ImmAssociateContext(window_, context);
    if (field) ::ImmAssociateContext(field, context);
}

void InputMethodSwitch::Release() {
    if (context_) ::ImmReleaseContext(window_, context_);
    context_ = nullptr;
    window_ = nullptr;
}

}  // namespace gatevane
