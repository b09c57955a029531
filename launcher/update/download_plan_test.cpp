#include "launcher/update/download_plan.h"

#include <gtest/gtest.h>

namespace gatevane {
namespace {

using Step = DownloadPlan::Step;
const std::string kA(32, 'a');
const std::string kB(32, 'b');

TEST(DownloadPlan, FilesAreVerifiedInOrderAndAFailureIsTriedThreeTimesResuming) {
    DownloadPlan plan(ToDoList{"http://h/f/", {{"one", kA}, {"two", kB}}});
    ASSERT_EQ(plan.Begin(), Step::kFetch);
    EXPECT_EQ(plan.Current().name, "one");
    EXPECT_FALSE(plan.Resume());

    EXPECT_EQ(plan.OnAttempt(false, ""), Step::kFetch);
    EXPECT_TRUE(plan.Resume()) << "a failed attempt resumes";
    EXPECT_EQ(plan.OnAttempt(false, ""), Step::kFetch);
    EXPECT_EQ(plan.OnAttempt(true, kA), Step::kFetch) << "the third attempt may still succeed";
    EXPECT_EQ(plan.Current().name, "two");
    EXPECT_FALSE(plan.Resume()) << "the next file starts fresh";
    EXPECT_EQ(plan.FilesDone(), 1);

    EXPECT_EQ(plan.OnAttempt(false, ""), Step::kFetch);
    EXPECT_EQ(plan.OnAttempt(true, kB), Step::kDone);
    EXPECT_EQ(plan.FilesDone(), 2);
    EXPECT_EQ(plan.FileCount(), 2);
    EXPECT_EQ(DownloadPlan(ToDoList{}).Begin(), Step::kDone);
}

TEST(DownloadPlan, AMismatchOrAThirdFailureStopsForGood) {
    DownloadPlan mismatch(ToDoList{"http://h/f/", {{"one", kA}, {"two", kB}}});
    EXPECT_EQ(mismatch.OnAttempt(true, kB), Step::kStopMismatch);
    EXPECT_EQ(mismatch.Current().name, "one");
    EXPECT_EQ(mismatch.OnAttempt(true, kA), Step::kDone) << "nothing after a stop";
    EXPECT_EQ(mismatch.FilesDone(), 0);
    EXPECT_EQ(StopMessage(Step::kStopMismatch, "one"),
              "文件 one 校验结果与服务器不匹配,请重新下载更新！");

    DownloadPlan unreachable(ToDoList{"http://h/f/", {{"one", kA}}});
    unreachable.OnAttempt(false, "");
    unreachable.OnAttempt(false, "");
    EXPECT_EQ(unreachable.OnAttempt(false, ""), Step::kStopUnreachable);
    EXPECT_TRUE(unreachable.Stopped());
    EXPECT_EQ(StopMessage(Step::kStopUnreachable, "one"),
              "文件 one 无法下载,可能由网络原因造成,请稍后重试！");
}

}  // namespace
}  // namespace gatevane
