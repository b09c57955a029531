#include "base/scope_exit.h"

#include <gtest/gtest.h>

#include <utility>

namespace gatevane {
namespace {

TEST(ScopeExitTest, RollsBackOnceUnlessReleased) {
    int rollBacks = 0;
    {
        auto guard = MakeScopeExit([&] { ++rollBacks; });
    }
    EXPECT_EQ(1, rollBacks);
    {
        auto guard = MakeScopeExit([&] { ++rollBacks; });
        guard.release();
    }
    EXPECT_EQ(1, rollBacks);
    {
        auto first = MakeScopeExit([&] { ++rollBacks; });
        auto moved = std::move(first);
    }
    EXPECT_EQ(2, rollBacks);
}

}  // namespace
}  // namespace gatevane
