// The nine line probes against logon server stand-ins on 127.0.0.2 ... 127.0.0.10, with the login
// window stood in for by an owner that keeps the first answer, as the window does.
#include "launcher/login/line_probe_win.h"

#include <windows.h>
#include <gtest/gtest.h>

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

    // Starts the nine probes and waits until each started probe has had its first event.
    LineProbes RunProbes(int expectedEvents = kServerLineCount) {
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

TEST_F(LineProbeTest, TheFirstEntryToConnectChoosesItsLine) {
    const std::pair<int, const char*> cases[] = {
        {3, "LogonLineAuto"}, {6, "LogonLine0"}, {8, "LogonLine2"}};
    for (const auto& [winner, option] : cases) {
        WriteServerList(1, AllNineHosts());
        ProbeOwner owner(settings_);
        LogonServer server({"--listen", ProbeHost(winner)});
        LineProbes probes = CreateLineProbes(&owner, settings_);
        PumpMessagesUntil(8000, [&] { return !owner.answers.empty(); });

        EXPECT_EQ(owner.answers, std::vector<int>{winner});
        EXPECT_EQ(owner.reachable.line(), winner);
        EXPECT_EQ(owner.selectedOption, option);
        EXPECT_EQ(settings_.selectedLine, winner);
        LauncherSettings reread;
        reread.LoadServerList();
        EXPECT_EQ(reread.selectedLine, winner) << "the choice is stored at once";
    }
}

TEST_F(LineProbeTest, WhenAllAnswerTheFirstCountsAndEveryProbeClosesAtOnce) {
    WriteServerList(0, AllNineHosts());
    std::vector<std::string> listen;
    for (int i = 0; i < kServerLineCount; ++i) {
        listen.insert(listen.end(), {"--listen", ProbeHost(i)});
    }
    LogonServer server(listen);
    LineProbes probes = RunProbes();

    ASSERT_EQ(owner_.answers.size(), 9u);
    const int first = owner_.answers.front();
    EXPECT_EQ(owner_.reachable.line(), first);
    EXPECT_EQ(owner_.selectedOption, LineOptionForEntry(first));
    EXPECT_EQ(settings_.selectedLine, first);
    EXPECT_EQ(capture_.Count("Check.....OnEventTCPSocketLink----Success!!--"), 9);

    EXPECT_TRUE(PumpMessagesUntil(3000, [&] { return server.Count("close conn=") == 9; }))
        << server.Log();
    EXPECT_EQ(server.Count("accept conn="), 9);
    EXPECT_EQ(server.Count("frame conn="), 0) << "a probe sends nothing";
}

TEST_F(LineProbeTest, EmptyEntriesAreNotProbed) {
    WriteServerList(4, {"", "", "", "", "", "", "", "", ProbeHost(8)});
    LogonServer server({"--listen", ProbeHost(8)});
    LineProbes probes = RunProbes(1);

    EXPECT_EQ(owner_.answers, std::vector<int>{8});
    EXPECT_EQ(capture_.Lines(),
              std::vector<std::string>{"Check.....OnEventTCPSocketLink----Success!!--8"});
    EXPECT_EQ(server.Count("accept conn="), 1);
}

TEST_F(LineProbeTest, NoReachableHostLeavesTheSelectionAsStored) {
    WriteServerList(7, AllNineHosts());  // nothing listens on any of them
    LineProbes probes = RunProbes();

    EXPECT_TRUE(owner_.answers.empty());
    EXPECT_EQ(owner_.reachable.line(), -1);
    EXPECT_EQ(settings_.selectedLine, 7);
    EXPECT_EQ(capture_.Count("Check.....OnEventTCPSocketLink----error!!--"), 9);
    for (int i = 0; i < kServerLineCount; ++i) {
        EXPECT_EQ(capture_.Count("error!!--" + std::to_string(i)), 1) << i;
    }
}

TEST_F(LineProbeTest, AProbeWithoutItsComponentStaysIdle) {
    WriteServerList(0, AllNineHosts());
    {
        LineProbe probe(settings_);
        EXPECT_FALSE(probe.StartProbe(-1));
        EXPECT_FALSE(probe.StartProbe(9));
        EXPECT_TRUE(probe.StartProbe(2));
        EXPECT_EQ(probe.failure(), nullptr);
    }  // its component goes, and with it the module

    const std::string moved = testing::BuildFolder() + "\\NetworkService.dll";
    ASSERT_TRUE(::MoveFileA(moved.c_str(), (moved + ".away").c_str()));
    LineProbe orphan(settings_);
    EXPECT_FALSE(orphan.StartProbe(2));
    ::MoveFileA((moved + ".away").c_str(), moved.c_str());
    EXPECT_STREQ(orphan.failure(), "网络组件创建失败");
}

TEST_F(LineProbeTest, AMalformedEntryIsNotConnected) {
    folder_.Write("ServerInfo.ini", "[logon]\r\nlogon0=0badc0de\r\n");
    settings_.LoadServerList();
    LineProbe probe(settings_);
    EXPECT_FALSE(probe.StartProbe(0));
    EXPECT_STREQ(probe.failure(), "服务器连接错误，可能是你的系统还没有成功连接上网络！");
}

}  // namespace
}  // namespace gatevane
