// The launcher's start-up, run as a whole process in a fresh program folder and watched through
// its debugger output and the files it leaves.
#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "base/unique_handle_win.h"
#include "tests/support/message_box_closer.h"
#include "tests/support/test_folder.h"
#include "tests/support/traced_process.h"

namespace gatevane {
namespace {

using testing::RunTraced;
using testing::TracedRun;

constexpr char kStartupDone[] = "Quarnel: start-up done";

class StartupTest : public ::testing::Test {
protected:
    StartupTest() { folder_.CopyBuilt("Quarnel.exe", "Quarnel.exe"); }

    TracedRun RunLauncher(const std::string& commandLine = "") {
        TracedRun run =
            RunTraced(folder_.Path("Quarnel.exe"), commandLine, folder_.path(), 20000, "GameLogin");
        EXPECT_TRUE(run.started && !run.timedOut && run.exitCode == 0u) << run.exitCode;
        return run;
    }

    testing::TestFolder folder_;
};

// A stand-in for the lobby's main window, on a thread of its own so that the launcher's calls to it
// are answered.
class LobbyWindow {
public:
    LobbyWindow() : thread_([this] { Run(); }) {
        testing::WaitUntil(5000, [this] { return window_ != nullptr; });
    }
    ~LobbyWindow() {
        ::PostMessageA(window_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    HWND window() const { return window_; }

private:
    void Run() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "Quarnel";
        ::RegisterClassA(&windowClass);
        HWND window = ::CreateWindowA("Quarnel", "大厅", WS_OVERLAPPEDWINDOW, 100, 100, 400, 300,
                                      nullptr, nullptr, windowClass.hInstance, nullptr);
        ::ShowWindow(window, SW_SHOWMINIMIZED);
        window_ = window;  // shown minimised before anyone sees it
        MSG message;
        while (::GetMessageA(&message, nullptr, 0, 0) > 0) ::DispatchMessageA(&message);
        ::UnregisterClassA("Quarnel", windowClass.hInstance);
    }

    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_DESTROY) ::PostQuitMessage(0);
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }

    std::atomic<HWND> window_{nullptr};
    std::thread thread_;
};

// A running lobby is brought to the front instead of starting again, and a second launcher ends
// silently, both before their clean-up. An abandoned launcher's mutex counts as acquired: start-up
// goes on to read its settings from the current directory (only read, a selection out of range
// kept), let the command line decide the update check (the whole launcher's tests see it run or
// not) and end a running desktop pet.
TEST_F(StartupTest, OneLauncherAtATimeAndWhatStartUpDecides) {
    folder_.Write("QuarnelOld.exe", "old");
    {
        LobbyWindow lobby;
        ASSERT_TRUE(lobby.window() && ::IsIconic(lobby.window()));
        EXPECT_TRUE(RunLauncher().debugLines.empty());
        EXPECT_TRUE(testing::WaitUntil(3000, [&] { return !::IsIconic(lobby.window()); }));
        EXPECT_EQ(::GetForegroundWindow(), lobby.window());
    }
    {
        UniqueKernelHandle otherLauncher(::CreateMutexA(nullptr, TRUE, "Quarnel"));
        ASSERT_TRUE(otherLauncher);
        EXPECT_TRUE(RunLauncher().debugLines.empty());
    }
    EXPECT_TRUE(folder_.Exists("QuarnelOld.exe"));

    UniqueKernelHandle mutex(::CreateMutexA(nullptr, FALSE, "Quarnel"));
    std::thread([&] { ::WaitForSingleObject(mutex.get(), 0); }).join();  // owner ends, no release
    folder_.Write("ServerInfo.ini", "[logon]\r\nselected=12\r\n");
    folder_.CopyBuilt("pet_standin.exe", "OSTRELPET.DLL");
    UniqueKernelHandle pet = testing::StartProgram(folder_.Path("OSTRELPET.DLL"), folder_.path());
    ASSERT_TRUE(pet);
    ::Sleep(200);  // let it appear in the process list
    EXPECT_TRUE(RunLauncher("-a /StartLogin:1 -b").Said("(update check off, server line 12)"));
    EXPECT_FALSE(folder_.Exists("QuarnelOld.exe"));
    EXPECT_EQ(folder_.Read("ServerInfo.ini"), "[logon]\r\nselected=12\r\n");
    unsigned long exitCode = 99;
    EXPECT_TRUE(testing::EndsWithin(pet, 5000, &exitCode) && exitCode == 0u) << exitCode;
}

// The verified launcher an update left is swapped in by a copy of the running one (QuarnelOld.exe),
// after the old one ended, with one atomic move, and started with the same command line; nothing is
// swapped while the pending launcher is held open or under an old launcher that hangs (the copy
// waits only so long); a swapped-in launcher that cannot start is rolled back.
TEST_F(StartupTest, APendingLauncherIsSwappedInWhenItCanBeAndRolledBackIfItCannotStart) {
    const std::string launcher = folder_.Read("Quarnel.exe");
    folder_.CopyBuilt("Quarnel.run", "UpdateDownLoad\\Quarnel.exe");
    const std::string pending = folder_.Read("UpdateDownLoad\\Quarnel.exe");
    {
        UniqueFileHandle locked(::CreateFileA(folder_.Path("UpdateDownLoad\\Quarnel.exe").c_str(),
                                              GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(locked);
        EXPECT_TRUE(RunLauncher().Said(kStartupDone) && !folder_.Exists("QuarnelOld.exe"));
    }
    {
        folder_.CopyBuilt("Quarnel.exe", "QuarnelOld.exe");
        UniqueKernelHandle running(::CreateMutexA(nullptr, TRUE, "Quarnel"));
        const DWORD start = ::GetTickCount();
        TracedRun run = RunTraced(folder_.Path("QuarnelOld.exe"), "", folder_.path());
        EXPECT_TRUE(run.started && !run.timedOut && ::GetTickCount() - start < 9000u);
    }
    EXPECT_EQ(folder_.Read("Quarnel.exe"), launcher);

    EXPECT_FALSE(RunLauncher("/StartLogin:1 -x").Said(kStartupDone));
    ASSERT_TRUE(testing::WaitUntil(10000, [&] { return folder_.Exists("Quarnel.exe.cmdline"); }));
    EXPECT_TRUE(folder_.Read("Quarnel.exe") == pending &&
                !folder_.Exists("UpdateDownLoad\\Quarnel.exe"));
    EXPECT_NE(folder_.Read("Quarnel.exe.cmdline").find("\narguments: [/StartLogin:1 -x]\n"),
              std::string::npos)
        << folder_.Read("Quarnel.exe.cmdline");

    folder_.CopyBuilt("Quarnel.exe", "Quarnel.exe");
    folder_.Write("UpdateDownLoad\\Quarnel.exe", "no program at all");
    testing::MessageBoxCloser closer("温馨提示");
    EXPECT_FALSE(RunLauncher().Said(kStartupDone));
    ASSERT_TRUE(testing::WaitUntil(10000, [&] { return !closer.Texts().empty(); }));
    EXPECT_EQ(closer.Texts()[0], "创建宿主进程失败!(" + folder_.path() + "/Quarnel.exe)");
    ASSERT_TRUE(testing::WaitUntil(10000, [&] { return folder_.Read("Quarnel.exe") == launcher; }));
    EXPECT_FALSE(folder_.Exists("UpdateDownLoad\\Quarnel.exe"));
    // The old launcher runs again: its start-up removes the swapping copy.
    EXPECT_TRUE(testing::WaitUntil(10000, [&] { return !folder_.Exists("QuarnelOld.exe"); }));
}

}  // namespace
}  // namespace gatevane
