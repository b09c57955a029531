// OstrelPet as the game hall runs it: the real program in a fresh program folder with the stand-in
// movie player registered, a window of this test to watch, the mouse driven through the
// platform's input queue, and the screen read back where the pet stands.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <list>
#include <string>
#include <vector>

#include "base/unique_handle_win.h"
#include "tests/movie_player/player_setup_win.h"
#include "tests/support/message_box_closer.h"
#include "tests/support/native_server.h"
#include "tests/support/test_folder.h"
#include "tests/support/ui_automation.h"

namespace ostrelpet {
namespace {

using gatevane::UniqueKernelHandle;
using gatevane::testing::EndsWithin;
using gatevane::testing::MessageBoxCloser;
using gatevane::testing::PumpMessagesUntil;
using gatevane::testing::Rect;
using gatevane::testing::TestFolder;

constexpr UINT kClick = 1111;
constexpr COLORREF kBackground = RGB(0, 128, 128);  // teal, under the pet
// The same, as the screen is read: 0x00RRGGBB.
constexpr std::uint32_t kBackgroundPixel =
    GetRValue(kBackground) << 16 | GetGValue(kBackground) << 8 | GetBValue(kBackground);
constexpr int kSize = 165;

// Runs the test thread's messages for a while, so its watched window answers.
void Pump(int milliseconds) {
    PumpMessagesUntil(milliseconds, [] { return false; });
}

// A full-screen window in the pet's background colour, titled as the pet is told to watch; it
// counts the pet's click messages.
class WatchedWindow {
public:
    explicit WatchedWindow(const std::string& title) {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hbrBackground = ::CreateSolidBrush(kBackground);
        windowClass.lpszClassName = "PetTestWatched";
        ::RegisterClassA(&windowClass);
        window_.reset(::CreateWindowExA(0, "PetTestWatched", title.c_str(), WS_POPUP | WS_VISIBLE,
                                        0, 0, ::GetSystemMetrics(SM_CXSCREEN),
                                        ::GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, nullptr,
                                        nullptr));
        clicks = 0;
        ::UpdateWindow(window_.get());
    }
    void Close() { window_.reset(); }

    static inline int clicks = 0;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == kClick) ++clicks;
        return ::DefWindowProcA(window, message, wParam, lParam);
    }

    gatevane::UniqueWindow window_;
};

// What the screen shows of the pet in `rect`: pixels in the background colour (the pet is clear
// there), in the creature's fur colour, and in a fraction of it (partly covered edges; the
// platform shows a layered window's pixels premultiplied when nothing composites them).
struct PetPixels {
    int background = 0;
    int fur = 0;
    int furEdge = 0;
};

PetPixels ReadPet(const RECT& rect) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    gatevane::WindowDc screen(nullptr);
    gatevane::UniqueMemoryDc memory(::CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    gatevane::UniqueBitmap bitmap(
        ::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    gatevane::SelectedObject selected(memory.get(), bitmap.get());
    ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY);
    ::GdiFlush();
    PetPixels counts;
    const double fur[3] = {240, 150, 60};
    for (int i = 0; i < width * height; ++i) {
        const std::uint32_t pixel = static_cast<const std::uint32_t*>(bits)[i] & 0xFFFFFF;
        if (pixel == kBackgroundPixel) {
            ++counts.background;
            continue;
        }
        const double rgb[3] = {double(pixel >> 16), double(pixel >> 8 & 0xFF),
                               double(pixel & 0xFF)};
        const double share = rgb[0] / fur[0];
        bool scaled = true;
        for (int channel = 0; channel < 3; ++channel) {
            scaled = scaled && std::abs(rgb[channel] - fur[channel] * share) <= 4;
        }
        if (scaled && share > 0.97 && share < 1.03) ++counts.fur;
        if (scaled && share > 0.1 && share < 0.9) ++counts.furEdge;
    }
    return counts;
}

void MouseAt(int x, int y, DWORD flags = 0) {
    ::SetCursorPos(x, y);
    if (!flags) return;
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    ::SendInput(1, &input, sizeof input);
}

class PetProcessTest : public ::testing::Test {
protected:
    PetProcessTest() : title_("PetWatched" + std::to_string(::GetCurrentProcessId())) {
        for (const char* file :
             {"OstrelPet.dll", "MoviePlayer.dll", "TesselRes\\Skin\\OstrelSystem\\pet.swf"}) {
            folder_.CopyBuilt(file, file);
        }
        UsePlayer(10, "");
    }
    ~PetProcessTest() override {
        for (UniqueKernelHandle& pet : pets_) {
            if (!EndsWithin(pet, 0)) ::TerminateProcess(pet.get(), 99);
            EndsWithin(pet, 5000);
        }
    }

    // The stand-in player, registered from the test folder, reporting `version` and failing
    // `failMember` when not empty.
    void UsePlayer(DWORD version, const std::string& failMember, bool windowless = true) {
        ASSERT_TRUE(movie_player::RegisterPlayer(folder_.Path("MoviePlayer.dll")));
        movie_player::ConfigurePlayer(version, failMember, windowless);
    }

    // Starts the pet with `arguments` as its command line after its name.
    UniqueKernelHandle& StartPet(const std::string& arguments) {
        std::string commandLine = "\"" + folder_.Path("OstrelPet.dll") + "\" " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        EXPECT_TRUE(::CreateProcessA(folder_.Path("OstrelPet.dll").c_str(), commandLine.data(),
                                     nullptr, nullptr, FALSE, 0, nullptr, folder_.path().c_str(),
                                     &startup, &process))
            << "error " << ::GetLastError();
        ::CloseHandle(process.hThread);
        pets_.emplace_back(process.hProcess);
        return pets_.back();
    }

    static HWND PetWindow() { return ::FindWindowA("MyOleControl", "MyOleControlWindow"); }

    static RECT PetRect() {
        RECT rect{};
        ::GetWindowRect(PetWindow(), &rect);
        return rect;
    }

    // The pet's window once the movie has drawn into it.
    HWND WaitForPet() {
        HWND window = nullptr;
        PumpMessagesUntil(10000, [&] {
            window = PetWindow();
            return window && ReadPet(PetRect()).fur > 1000;
        });
        return window;
    }

    TestFolder folder_;
    std::string title_;
    std::list<UniqueKernelHandle> pets_;  // a list: StartPet hands out lasting references
};

// The whole life of a pet as a person sees it, for a player that writes its own alpha and for a
// version 8 player, whose alpha the host makes from two renders.
class PetLifeTest : public PetProcessTest, public ::testing::WithParamInterface<DWORD> {};

TEST_P(PetLifeTest, StandsBlendedAtTheLowerRightIsClickedDraggedAndEndsWithTheWatchedWindow) {
    UsePlayer(GetParam(), "");
    WatchedWindow watched(title_);
    UniqueKernelHandle& pet = StartPet("/Title:" + title_);
    HWND window = WaitForPet();
    ASSERT_TRUE(window) << "no pet on the screen";

    // A layered, topmost popup of 165 × 165 in the lower right corner, owned by the hidden
    // main window.
    const LONG_PTR extended = ::GetWindowLongPtrA(window, GWL_EXSTYLE);
    EXPECT_TRUE(extended & WS_EX_LAYERED);
    EXPECT_TRUE(extended & WS_EX_TOPMOST);
    const RECT rect = PetRect();
    const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(Rect(rect), Rect({width - kSize, height - 225, width, height - 225 + kSize}));
    HWND owner = ::GetWindow(window, GW_OWNER);
    EXPECT_EQ(owner, ::FindWindowA("OSTRELPET", nullptr));
    EXPECT_FALSE(::IsWindowVisible(owner));

    // Clear around the creature, opaque fur inside, partly covered pixels on its edges.
    const PetPixels shown = ReadPet(rect);
    EXPECT_GT(shown.background, kSize * kSize / 4) << "the pet's clear pixels hide the background";
    EXPECT_GT(shown.fur, 2000);
    EXPECT_GT(shown.furEdge, 60) << "no soft edges";

    // Where the pet is clear it is transparent to the mouse: a click there is no click on the pet
    // and moves nothing. (Windows hands it to the window below; Wine drops it when that window
    // belongs to another process.)
    MouseAt(rect.left + 4, rect.top + 4, MOUSEEVENTF_LEFTDOWN);
    MouseAt(rect.left + 4, rect.top + 4, MOUSEEVENTF_LEFTUP);
    Pump(600);
    EXPECT_EQ(WatchedWindow::clicks, 0);
    EXPECT_EQ(Rect(PetRect()), Rect(rect));

    // A click on the creature's belly posts 1111 once.
    const int x = (rect.left + rect.right) / 2;
    const int y = rect.top + 115;
    MouseAt(x, y, MOUSEEVENTF_LEFTDOWN);
    MouseAt(x + 3, y + 2, MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PumpMessagesUntil(3000, [] { return WatchedWindow::clicks > 0; }));
    Pump(600);
    EXPECT_EQ(WatchedWindow::clicks, 1);

    // (Whether the platform's move loop followed the 3-pixel slip before the button came up depends
    // on timing; what counts is that it stayed a click.) The right button does nothing: no
    // message, no menu, the pet stays where it is.
    const RECT clicked = PetRect();
    MouseAt(x, y, MOUSEEVENTF_RIGHTDOWN);
    MouseAt(x, y, MOUSEEVENTF_RIGHTUP);
    Pump(600);
    EXPECT_EQ(WatchedWindow::clicks, 1);
    EXPECT_FALSE(::FindWindowA("#32768", nullptr)) << "a context menu opened";
    EXPECT_EQ(Rect(PetRect()), Rect(clicked));

    // A drag of more than 10 pixels moves the pet, and it is drawn at its new place; no click.
    MouseAt(x, y, MOUSEEVENTF_LEFTDOWN);
    Pump(300);  // the pet takes the press and hands the mouse to the platform's move loop
    for (int step = 1; step <= 10; ++step) {
        Pump(30);
        MouseAt(x - 6 * step, y - 4 * step, MOUSEEVENTF_MOVE);
    }
    Pump(100);
    MouseAt(x - 60, y - 40, MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PumpMessagesUntil(3000, [&] { return PetRect().left == clicked.left - 60; }));
    const RECT moved = PetRect();
    EXPECT_EQ(moved.top, clicked.top - 40);
    Pump(500);
    EXPECT_EQ(WatchedWindow::clicks, 1) << "a drag is not a click";
    EXPECT_GT(ReadPet(moved).fur, 2000) << "not drawn at its new place";

    // The watched window closes: the pet ends on the fourth tick without it (about 2 s).
    watched.Close();
    const DWORD closed = ::GetTickCount();
    unsigned long exitCode = 99;
    EXPECT_TRUE(EndsWithin(pet, 6000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_GE(::GetTickCount() - closed, 1400u) << "ended before four ticks";
}

INSTANTIATE_TEST_SUITE_P(PlayerVersions, PetLifeTest, ::testing::Values(10u, 8u),
                         [](const ::testing::TestParamInfo<DWORD>& version) {
                             return "Version" + std::to_string(version.param);
                         });

// A second start ends at once and the first stays; a watched window back within four ticks keeps
// the pet, which ends once the window is gone for good. "/title:" is not the switch: that pet
// watches nothing and ends on its own although a window of that title is there.
TEST_F(PetProcessTest, ASecondStartEndsAtOnceAndAWindowBackWithinFourTicksKeepsThePet) {
    auto watched = std::make_unique<WatchedWindow>(title_);
    UniqueKernelHandle& pet = StartPet("/Title:" + title_);
    ASSERT_TRUE(WaitForPet());
    unsigned long exitCode = 99;
    EXPECT_TRUE(EndsWithin(StartPet("/Title:" + title_), 3000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    watched.reset();
    Pump(1000);
    watched = std::make_unique<WatchedWindow>(title_);
    Pump(2500);
    EXPECT_FALSE(EndsWithin(pet, 0)) << "ended although the window came back";
    watched.reset();
    EXPECT_TRUE(EndsWithin(pet, 6000));

    watched = std::make_unique<WatchedWindow>(title_);
    UniqueKernelHandle& wrongCase = StartPet("/title:" + title_);
    ASSERT_TRUE(WaitForPet());
    EXPECT_TRUE(EndsWithin(wrongCase, 5000));
}

// A player that cannot be windowless is shown in an ordinary window, opaque on its background
// colour (black), drawn whenever it asks.
TEST_F(PetProcessTest, APlayerThatCannotBeWindowlessIsShownInAPlainWindow) {
    UsePlayer(10, "", false);
    WatchedWindow watched(title_);
    StartPet("/Title:" + title_);
    HWND window = WaitForPet();
    ASSERT_TRUE(window);
    EXPECT_FALSE(::GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_LAYERED);
    const PetPixels shown = ReadPet(PetRect());
    EXPECT_EQ(shown.background, 0);
    EXPECT_GT(shown.furEdge, 60) << "edges blended over the black background";
}

TEST_F(PetProcessTest, AnEmptyCommandLineIsRefusedWithTheMessage) {
    MessageBoxCloser closer("OstrelPet");
    UniqueKernelHandle& pet = StartPet("");
    unsigned long exitCode = 99;
    EXPECT_TRUE(EndsWithin(pet, 10000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(closer.Texts(), std::vector<std::string>{"参数异常,启动失败!"});
}

// Without a usable player the program keeps running without any window of its own to show until
// its main window is destroyed: no player at all, a player that refuses a property, a movie
// that is missing. Without a pet there is no watch either.
TEST_F(PetProcessTest, WithoutAPlayerTheProgramWaitsWindowlessForItsMainWindow) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
    } cases[] = {
        {"no player", [] { ASSERT_TRUE(movie_player::UnregisterPlayer()); }},
        {"a player failing Scale", [this] { UsePlayer(10, "Scale"); }},
        {"a player failing FlashVersion", [this] { UsePlayer(8, "FlashVersion"); }},
        {"a movie that is no movie",
         [this] {
             UsePlayer(10, "");
             folder_.Write("TesselRes\\Skin\\OstrelSystem\\pet.swf", "<html></html>");
         }},
        {"no movie",
         [this] { ::DeleteFileA(folder_.Path("TesselRes\\Skin\\OstrelSystem\\pet.swf").c_str()); }},
    };
    WatchedWindow watched(title_);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.arrange();
        UniqueKernelHandle& pet = StartPet("/Title:" + title_);
        HWND main = nullptr;
        ASSERT_TRUE(
            PumpMessagesUntil(5000, [&] { return (main = ::FindWindowA("OSTRELPET", nullptr)); }));
        Pump(2500);  // past four watch ticks, had there been any
        EXPECT_FALSE(EndsWithin(pet, 0));
        EXPECT_FALSE(PetWindow()) << "a pet window without a player";
        EXPECT_FALSE(::IsWindowVisible(main));
        ::PostMessageA(main, WM_COMMAND, 104, 0);  // Help > About: the about box, modal
        // FindWindow sees the dialog before its children are made: wait for its text.
        HWND about = nullptr;
        EXPECT_TRUE(PumpMessagesUntil(5000, [&] {
            about = ::FindWindowA("#32770", "关于");
            return about && ::FindWindowExA(about, nullptr, "Static", "OstrelPet Version 1.0");
        }));
        ::PostMessageA(about, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(PumpMessagesUntil(5000, [&] { return !::IsWindow(about); }));
        ::PostMessageA(main, WM_COMMAND, 105, 0);  // File > Exit
        unsigned long exitCode = 99;
        EXPECT_TRUE(EndsWithin(pet, 5000, &exitCode));
        EXPECT_EQ(exitCode, 0u);
    }
}

}  // namespace
}  // namespace ostrelpet
