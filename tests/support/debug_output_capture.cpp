#include "tests/support/debug_output_capture.h"

#include <windows.h>

#include <cstring>
#include <stdexcept>

namespace gatevane::testing {
namespace {

// The shared buffer: the writer's process id, then the text.
constexpr DWORD kBufferSize = 4096;

}  // namespace

DebugOutputCapture::DebugOutputCapture()
    : buffer_(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBufferSize,
                                   "DBWIN_BUFFER")),
      bufferReady_(::CreateEventA(nullptr, FALSE, TRUE, "DBWIN_BUFFER_READY")),
      dataReady_(::CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY")) {
    if (buffer_) {
        view_ = static_cast<const char*>(::MapViewOfFile(buffer_.get(), FILE_MAP_READ, 0, 0, 0));
    }
    if (!view_ || !bufferReady_ || !dataReady_) {
        throw std::runtime_error("cannot set up the debug output buffer");
    }
    collector_ = std::thread([this] { Collect(); });
}

DebugOutputCapture::~DebugOutputCapture() {
    stop_ = true;
    collector_.join();
    ::UnmapViewOfFile(view_);
}

void DebugOutputCapture::Collect() {
    while (!stop_) {
        if (::WaitForSingleObject(dataReady_.get(), 50) != WAIT_OBJECT_0) continue;
        DWORD writer = 0;
        std::memcpy(&writer, view_, sizeof writer);
        std::string text(view_ + sizeof(DWORD),
                         strnlen(view_ + sizeof(DWORD), kBufferSize - sizeof(DWORD)));
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        if (writer == ::GetCurrentProcessId()) {
            std::lock_guard<std::mutex> lock(mutex_);
            lines_.push_back(text);
        }
        ::SetEvent(bufferReady_.get());
    }
}

std::vector<std::string> DebugOutputCapture::Lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
}

int DebugOutputCapture::Count(const std::string& part) const {
    int count = 0;
    for (const std::string& line : Lines()) count += line.find(part) != std::string::npos;
    return count;
}

}  // namespace gatevane::testing
