#pragma once
// A timer that calls back once, on the thread that started it, while that thread pumps messages.
// It keeps a message-only window of its own, so its user needs no window.

#include <windows.h>

#include <functional>
#include <utility>

#include "base/unique_handle_win.h"

namespace gatevane {

class OneShotTimer {
public:
    explicit OneShotTimer(std::function<void()> onElapsed) : onElapsed_(std::move(onElapsed)) {}
    OneShotTimer(const OneShotTimer&) = delete;
    OneShotTimer& operator=(const OneShotTimer&) = delete;

    // Starts the count anew (a running one is replaced); false when the timer cannot be made.
    bool Start(DWORD milliseconds);
    // The callback does not come unless the timer is started again.
    void Stop();

private:
    static void CALLBACK Elapsed(HWND window, UINT message, UINT_PTR id, DWORD time);

    std::function<void()> onElapsed_;
    UniqueWindow window_;
};

}  // namespace gatevane
