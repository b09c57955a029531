#pragma once
// Collects what this process writes with OutputDebugString while no debugger is attached, through
// the platform's shared debug-output buffer, as debug viewers do. The buffer is the whole
// session's: what other processes (a launcher another test started) write there is left out.

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/unique_handle_win.h"

namespace gatevane::testing {

class DebugOutputCapture {
public:
    DebugOutputCapture();
    ~DebugOutputCapture();
    DebugOutputCapture(const DebugOutputCapture&) = delete;
    DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;

    std::vector<std::string> Lines() const;
    // How many lines contain `part`.
    int Count(const std::string& part) const;

private:
    void Collect();

    UniqueKernelHandle buffer_;
    UniqueKernelHandle bufferReady_;
    UniqueKernelHandle dataReady_;
    const char* view_ = nullptr;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    std::thread collector_;
};

}  // namespace gatevane::testing
