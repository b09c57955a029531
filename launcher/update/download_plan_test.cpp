#include "launcher/update/download_plan.h"

#include <gtest/gtest.h>

namespace gatevane {
namespace {

using Step = DownloadPlan::Step;
const std::string kA(32, 'a');
const std::string kB(32, 'b');

// The messages and the stops are seen end to end in the download manager's Wine tests; here the
// order of the steps, the resumes and the count of files done.
TEST(DownloadPlan, FilesAreVerifiedInOrderAndAFailureIsTriedThreeTimesResuming) {
    DownloadPlan plan(ToDoList{"http://h/f/", {{"one", kA}, {"two", kB}}});
    ASSERT_EQ(plan.Begin(), Step::kFetch);
    EXPECT_FALSE(plan.Resume());
    EXPECT_EQ(plan.OnAttempt(false, ""), Step::kFetch);
    EXPECT_TRUE(plan.Resume()) << "a failed attempt resumes";
    EXPECT_EQ(plan.OnAttempt(false, ""), Step::kFetch);
    EXPECT_EQ(plan.OnAttempt(true, kA), Step::kFetch) << "the third attempt may still succeed";
    EXPECT_EQ(plan.Current().name, "two");
    EXPECT_FALSE(plan.Resume()) << "the next file starts fresh";
    EXPECT_EQ(plan.FilesDone(), 1);
    EXPECT_EQ(plan.OnAttempt(true, kA), Step::kStopMismatch);
    EXPECT_EQ(plan.OnAttempt(true, kB), Step::kDone) << "nothing after a stop";
    EXPECT_EQ(plan.FilesDone(), 1);
    EXPECT_EQ(plan.FileCount(), 2);
    EXPECT_EQ(DownloadPlan(ToDoList{}).Begin(), Step::kDone);

    DownloadPlan unreachable(ToDoList{"http://h/f/", {{"one", kA}}});
    unreachable.OnAttempt(false, "");
    unreachable.OnAttempt(false, "");
    EXPECT_EQ(unreachable.OnAttempt(false, ""), Step::kStopUnreachable);
    EXPECT_TRUE(unreachable.Stopped());
}

}  // namespace
}  // namespace gatevane
