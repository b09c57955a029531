#pragma once
// Runs a roll-back when the scope is left, unless release() said the work succeeded.

#include <utility>

namespace gatevane {

template <typename Action>
class ScopeExit {
public:
    explicit ScopeExit(Action action) : action_(std::move(action)) {}
    ScopeExit(ScopeExit&& other) noexcept
        : action_(std::move(other.action_)), armed_(std::exchange(other.armed_, false)) {}
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    ScopeExit& operator=(ScopeExit&&) = delete;
    ~ScopeExit() {
        if (armed_) action_();
    }

    // The work succeeded: nothing is rolled back.
    void release() { armed_ = false; }

private:
    Action action_;
    bool armed_ = true;
};

template <typename Action>
ScopeExit<Action> MakeScopeExit(Action action) {
    return ScopeExit<Action>(std::move(action));
}

}  // namespace gatevane
