#pragma once
// A start-up the thread or process pairs with a shutdown (Winsock, COM, OLE): started when the
// guard is made, undone when it ends if it succeeded. Move-only.

#include <utility>

namespace gatevane {

// Traits: static bool Start() (true when it must be undone), static void Stop().
template <typename Traits>
class StartupGuard {
public:
    StartupGuard() : started_(Traits::Start()) {}
    StartupGuard(StartupGuard&& other) noexcept : started_(std::exchange(other.started_, false)) {}
    StartupGuard(const StartupGuard&) = delete;
    StartupGuard& operator=(const StartupGuard&) = delete;
    StartupGuard& operator=(StartupGuard&&) = delete;
    ~StartupGuard() {
        if (started_) Traits::Stop();
    }

    bool ok() const { return started_; }

private:
    bool started_;
};

}  // namespace gatevane
