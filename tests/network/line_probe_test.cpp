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

using testing::LogonServer;
using testing::PumpMessagesUntil;

std::string ProbeHost(int index) {
    return "127.0.0." + std::to_string(index + 2);
}

class ProbeOwner final : public LineProbeOwner {
public:
    explicit ProbeOwner(LauncherSettings& settings) : settings_(settings) {}
    void OnLineReachable(int index) override {
        answers.push_back(index);
        if (const char* option = reachable.Accept(index, settings_)) selectedOption = option;
    }

    std::vector<int> answers;
    ReachableLine reachable;
    std::string selectedOption;

private:
    LauncherSettings& settings_;
};

class LineProbeTest : public ::testing::Test {
protected:
    // ServerInfo.ini with the given selected line and entries (index -> host, "" = empty).
    void WriteServerList(int selected, const std::vector<std::string>& hosts) {
        std::string ini = "[logon]\r\nselected=" + std::to_string(selected) + "\r\n";
        for (std::size_t i = 0; i < hosts.size(); ++i) {
            char entry[300] = "";
            if (!hosts[i].empty()) ScrambleText(hosts[i], entry, sizeof entry);
            ini += "logon" + std::to_string(i) + "=" + entry + "\r\n";
        }
        folder_.Write("ServerInfo.ini", ini);
        settings_.LoadServerList();
    }

    std::vector<std::string> AllNineHosts() {
        std::vector<std::string> hosts;
        for (int i = 0; i < kServerLineCount; ++i) hosts.push_back(ProbeHost(i));
        return hosts;
    }

    // Starts the nine probes and waits until `expectedEvents` probes have had their first event.
    LineProbes RunProbes(int expectedEvents) {
        LineProbes probes = CreateLineProbes(&owner_, settings_);
        PumpMessagesUntil(8000, [&] { return capture_.Count("Check.....") >= expectedEvents; });
        PumpMessagesUntil(300, [] { return false; });
        return probes;
    }

    testing::TestFolder folder_;
    testing::CurrentDirectory inFolder_{folder_.path()};
    LauncherSettings settings_;
    ProbeOwner owner_{settings_};
    testing::DebugOutputCapture capture_;
};

// The whole launcher's tests see the first line to answer selected and stored; here every line
// answers at once.
TEST_F(LineProbeTest, WhenAllAnswerTheFirstCountsAndEveryProbeClosesAtOnce) {
    WriteServerList(0, AllNineHosts());
    std::vector<std::string> listen;
    for (int i = 0; i < kServerLineCount; ++i) {
        listen.insert(listen.end(), {"--listen", ProbeHost(i)});
    }
    LogonServer server(listen);
    LineProbes probes = RunProbes(kServerLineCount);

    ASSERT_EQ(owner_.answers.size(), 9u);
    const int first = owner_.answers.front();
    EXPECT_EQ(owner_.reachable.line(), first);
    EXPECT_EQ(owner_.selectedOption, LineOptionForEntry(first));
    LauncherSettings reread;
    reread.LoadServerList();
    EXPECT_EQ(reread.selectedLine, first) << "the choice is stored at once";
    EXPECT_EQ(capture_.Count("Check.....OnEventTCPSocketLink----Success!!--"), 9);

    EXPECT_TRUE(PumpMessagesUntil(3000, [&] { return server.Count("close conn=") == 9; }))
        << server.Log();
    EXPECT_EQ(server.Count("frame conn="), 0) << "a probe sends nothing";
}

TEST_F(LineProbeTest, EmptyEntriesAreNotProbedAndNoAnswerLeavesTheSelectionAsStored) {
    std::vector<std::string> hosts = AllNineHosts();  // nothing listens on any of them
    for (int i = 0; i < 4; ++i) hosts[i].clear();
    WriteServerList(7, hosts);
    LineProbes probes = RunProbes(5);

    EXPECT_TRUE(owner_.answers.empty());
    EXPECT_EQ(owner_.reachable.line(), -1);
    EXPECT_EQ(settings_.selectedLine, 7);
    EXPECT_EQ(capture_.Lines().size(), 5u);
    for (int i = 4; i < kServerLineCount; ++i) {
        EXPECT_EQ(capture_.Count("OnEventTCPSocketLink----error!!--" + std::to_string(i)), 1) << i;
    }
}

TEST_F(LineProbeTest, AProbeThatCannotStartSaysWhy) {
    WriteServerList(0, AllNineHosts());
    std::strcpy(settings_.serverEntries[0], "0badc0de");  // unscrambles to no host
    {
        LineProbe probe(settings_);
        EXPECT_FALSE(probe.StartProbe(-1));
        EXPECT_FALSE(probe.StartProbe(9));
        EXPECT_TRUE(probe.StartProbe(2));
        EXPECT_EQ(probe.failure(), nullptr);
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
