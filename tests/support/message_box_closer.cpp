#include "tests/support/message_box_closer.h"

#include <windows.h>

namespace gatevane::testing {
namespace {

// The static control that holds a message box's text.
constexpr int kMessageTextId = 0xFFFF;

}  // namespace

MessageBoxCloser::MessageBoxCloser(std::string caption)
    : caption_(std::move(caption)), watcher_([this] { Watch(); }) {}

MessageBoxCloser::~MessageBoxCloser() {
    stop_ = true;
    watcher_.join();
}

std::vector<std::string> MessageBoxCloser::Texts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
}

void MessageBoxCloser::Watch() {
    while (!stop_) {
        if (HWND box = ::FindWindowA("#32770", caption_.c_str())) {
            char text[1024] = {};
            ::GetDlgItemTextA(box, kMessageTextId, text, sizeof text);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                texts_.push_back(text);
            }
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
            // Wait for this box to go before looking for the next one.
            for (int i = 0; i < 100 && ::IsWindow(box); ++i) ::Sleep(20);
        }
        ::Sleep(20);
    }
}

}  // namespace gatevane::testing
