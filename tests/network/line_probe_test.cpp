// The nine line probes against logon server stand-ins on 127.0.0.2 ... 127.0.0.10, with the login
// window stood in for by an owner that keeps the first answer, as the window does.
#include "launcher/login/line_probe_win.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "launcher/update/scramble.h"
#include "tests/support/debug_output_capture.h"
#include "tests/support/native_server.h"
#include "tests/support/test_folder.h"

namespace gatevane {
namespace {

using testing::PumpMessagesUntil;

std::string ProbeHost(int index) {
    return "127.0.0." + std::to_string(index + 2);
}

class LineProbeTest : public ::testing::Test, public LineProbeOwner {
protected:
    void OnLineReachable(int index) override {
        answers_.push_back(index);
        if (const char* option = reachable_.Accept(index, settings_)) selectedOption_ = option;
    }

    // Line `selected` selected, entry i naming ProbeHost(i) but the first `empty` entries empty.
    void SetLines(int selected, int empty = 0) {
        settings_.selectedLine = selected;
        for (int i = 0; i < kServerLineCount; ++i) {
            settings_.serverEntries[i][0] = '\0';
            if (i >= empty) ScrambleText(ProbeHost(i), settings_.serverEntries[i], kPathCapacity);
        }
    }

    // Starts the nine probes and waits until `events` probe events have been traced in all.
    LineProbes RunProbes(int events) {
        LineProbes probes = CreateLineProbes(this, settings_);
        PumpMessagesUntil(8000, [&] { return capture_.Count("Check.....") >= events; });
        PumpMessagesUntil(300, [] { return false; });
        return probes;
    }

    testing::TestFolder folder_;
    testing::CurrentDirectory inFolder_{folder_.path()};
    LauncherSettings settings_;
    std::vector<int> answers_;
    ReachableLine reachable_;
    std::string selectedOption_;
    testing::DebugOutputCapture capture_;
};

// Empty entries are not probed; when no line answers the selection stays as stored, and when all
// answer at once the first counts and every probe closes its connection at once. The whole
// launcher's tests see the first line to answer selected.
TEST_F(LineProbeTest, TheFirstLineToAnswerCountsAndEveryProbeClosesAtOnce) {
    SetLines(7, 4);
    std::vector<std::string> listen;
    for (int i = 4; i < kServerLineCount; ++i)
        listen.insert(listen.end(), {"--listen", ProbeHost(i)});
    {
        LineProbes probes = RunProbes(5);
        EXPECT_TRUE(answers_.empty() && settings_.selectedLine == 7);
        EXPECT_FALSE(folder_.Exists("ServerInfo.ini"));
        for (int i = 4; i < kServerLineCount; ++i)
            EXPECT_EQ(capture_.Count("Link----error!!--" + std::to_string(i)), 1) << i;
        EXPECT_EQ(capture_.Lines().size(), 5u);
    }

    testing::LogonServer server(listen);
    LineProbes probes = RunProbes(10);
    ASSERT_EQ(answers_.size(), 5u);
    const int first = answers_.front();
    EXPECT_TRUE(reachable_.line() == first && selectedOption_ == LineOptionForEntry(first));
    LauncherSettings reread;
    reread.LoadServerList();
    EXPECT_EQ(reread.selectedLine, first) << "the choice is stored at once";
    EXPECT_EQ(capture_.Count("Check.....OnEventTCPSocketLink----Success!!--"), 5);
    EXPECT_TRUE(PumpMessagesUntil(3000, [&] { return server.Count("close conn=") == 5; }))
        << server.Log();
    EXPECT_EQ(server.Count("frame conn="), 0) << "a probe sends nothing";
}

TEST_F(LineProbeTest, AProbeThatCannotStartSaysWhy) {
    SetLines(0);
    std::strcpy(settings_.serverEntries[0], "0badc0de");  // unscrambles to no host
    {
        LineProbe probe(settings_);
        EXPECT_FALSE(probe.StartProbe(-1) || probe.StartProbe(9));
        EXPECT_TRUE(probe.StartProbe(2) && probe.failure() == nullptr);
        EXPECT_FALSE(probe.StartProbe(0));
        EXPECT_STREQ(probe.failure(), "服务器连接错误，可能是你的系统还没有成功连接上网络！");
    }  // its component goes, and with it the module

    const std::string moved = testing::BuildFolder() + "\\NetworkService.dll";
    ASSERT_TRUE(::MoveFileA(moved.c_str(), (moved + ".away").c_str()));
    LineProbe orphan(settings_);
    EXPECT_FALSE(orphan.StartProbe(2));
    ::MoveFileA((moved + ".away").c_str(), moved.c_str());
    EXPECT_STREQ(orphan.failure(), "网络组件创建失败");
}

}  // namespace
}  // namespace gatevane
