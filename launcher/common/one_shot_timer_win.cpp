#include "launcher/common/one_shot_timer_win.h"

namespace gatevane {
namespace {

constexpr UINT_PTR kTimerId = 1;

}  // namespace

bool OneShotTimer::Start(DWORD milliseconds) {
    if (!window_) {
        // The system's static control class serves: the timer's procedure is called directly, so
        // the window needs no procedure of ours.
        window_.reset(::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        ::GetModuleHandleA(nullptr), nullptr));
        if (!window_) return false;
        ::SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    return ::SetTimer(window_.get(), kTimerId, milliseconds, &OneShotTimer::Elapsed) != 0;
}

void OneShotTimer::Stop() {
    if (window_) ::KillTimer(window_.get(), kTimerId);
}

void CALLBACK OneShotTimer::Elapsed(HWND window, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(window, id);
    auto* timer = reinterpret_cast<OneShotTimer*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (timer) timer->onElapsed_();
}

}  // namespace gatevane
