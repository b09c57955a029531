#pragma once
// Answers the platform message boxes of a given caption that any process shows while it lives,
// remembering their texts: tests see what a person would have read, and nothing waits for a click.

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace gatevane::testing {

class MessageBoxCloser {
public:
    explicit MessageBoxCloser(std::string caption);
    ~MessageBoxCloser();
    MessageBoxCloser(const MessageBoxCloser&) = delete;
    MessageBoxCloser& operator=(const MessageBoxCloser&) = delete;

    std::vector<std::string> Texts() const;

private:
    void Watch();

    std::string caption_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> texts_;
    std::thread watcher_;
};

}  // namespace gatevane::testing
