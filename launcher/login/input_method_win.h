#pragma once
// The input method of a skinned window that holds secret fields: the window's context is taken
// once, detached while a password (or a code) has the focus, so nothing composes there, and given
// back for every other field.

#include <windows.h>
#include <imm.h>

namespace gatevane {

class InputMethodSwitch {
public:
    InputMethodSwitch() = default;
    InputMethodSwitch(const InputMethodSwitch&) = delete;
    InputMethodSwitch& operator=(const InputMethodSwitch&) = delete;
    ~InputMethodSwitch() { Release(); }

    // Takes the window's context (once).
    void Take(HWND window);
    // The focus moved to a field, whose own edit window is `field` (may be null): composing is
    // allowed there or not.
    void Allow(bool allowed, HWND field);
    void Release();

private:
    HWND window_ = nullptr;
    HIMC context_ = nullptr;
};

}  // namespace gatevane
