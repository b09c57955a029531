#include "base/scope_exit.h"

#include <gtest/gtest.h>

#include <utility>

namespace gatevane {
namespace {

TEST(ScopeExitTest, RollsBackOnceUnlessReleased) {
    int rollBacks = 0;
    {
        auto guard = MakeScopeExit([&] { ++rollBacks; });
        auto released = MakeScopeExit([&] { rollBacks += 10; });
        released.release();
        auto moved = std::move(guard);
    }
    EXPECT_EQ(rollBacks, 1);
}

}  // namespace
}  // namespace gatevane
