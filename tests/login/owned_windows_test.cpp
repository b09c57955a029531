// The windows the login window shows over itself, in this process over a stand-in for it, driven
// through accessibility as a user (or a screen reader) would: the skinned message box while
// ShowMessageBox runs its modal loop, and the registration form.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "base/unique_handle_win.h"
#include "launcher/login/lobby_hand_off_win.h"
#include "launcher/login/login_window_win.h"
#include "launcher/login/message_box_window_win.h"
#include "launcher/register/register_window_win.h"
#include "launcher/startup/launcher_settings_win.h"
#include "launcher/startup/lobby_command_line.h"
#include "tests/support/native_server.h"
#include "tests/support/ui_automation.h"

namespace gatevane {
namespace {

using testing::UiWindow;

// What to do with the next box this thread shows, run from a timer inside the box's modal loop. No
// other test that shows windows runs beside this one (DESKTOP): a box is ours.
std::function<void(UiWindow&)> pendingStep;

void CALLBACK RunPendingStep(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = ::FindWindowA("UIMessageBox", nullptr);
    if (!pendingStep || !box || !::IsWindowVisible(box)) return;
    UiWindow window(box);
    std::exchange(pendingStep, nullptr)(window);
}

// Runs `action`, during which a box must show and go; `step` reads and answers it.
void WhileABoxShows(std::function<void(UiWindow&)> step, const std::function<void()>& action) {
    pendingStep = std::move(step);
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &RunPendingStep);
    action();
    ::KillTimer(nullptr, timer);
    EXPECT_FALSE(pendingStep) << "no box showed";
    pendingStep = nullptr;
    EXPECT_FALSE(::FindWindowA("UIMessageBox", nullptr)) << "the box outlived its modal loop";
}

// The login window, as the windows over it see it: it shows again when asked back, and counts
// the times it was.
class OwnerWindow : public CWindowWnd {
public:
    OwnerWindow() { Create(nullptr, "owner", WS_POPUP | WS_VISIBLE, 0, 200, 200, 500, 400); }
    ~OwnerWindow() override {
        if (::IsWindow(window_)) ::DestroyWindow(window_);
    }
    int shownAgain = 0;

protected:
    const char* GetWindowClassName() const override { return "GatevaneLoginStandIn"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_SHOWLOGIN) {
            ++shownAgain;
            ShowWindow(true, true);
        }
        return CWindowWnd::HandleMessage(message, wParam, lParam);
    }
};

unsigned ShowAndDrive(unsigned style, std::function<void(UiWindow&)> step) {
    OwnerWindow owner;
    unsigned result = 0;
    WhileABoxShows(std::move(step), [&] { result = ShowMessageBox(owner, "text", style); });
    return result;
}

// One button, two (the first and the third), or the skin's three for any other style; the first
// two buttons give 1, the third and the close button 2.
TEST(OwnedWindowsTest, EachStyleShowsItsButtonsAndEachButtonGivesItsAnswer) {
    const struct {
        unsigned style;
        const char* shown;
        const char* pressed;
        unsigned result;
    } cases[] = {{0, "-1-", "button1", 1},
                 {1, "0-2", "button0", 1},
                 {1, "0-2", "button2", 2},
                 {7, "012", "closebtn", 2}};
    for (const auto& c : cases) {
        unsigned result = ShowAndDrive(c.style, [&](UiWindow& box) {
            EXPECT_EQ(box.Text("content"), "text");
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(box.IsVisible("button" + std::to_string(i)), c.shown[i] != '-')
                    << c.style << " button" << i;
            }
            EXPECT_TRUE(box.IsVisible("closebtn"));
            EXPECT_TRUE(box.Click(c.pressed));
        });
        EXPECT_EQ(result, c.result) << c.style << " " << c.pressed;
    }
}

// The colour of the box's background at a spot of the caption band that no control covers.
COLORREF BackgroundPixel() {
    COLORREF pixel = CLR_INVALID;
    ShowAndDrive(0, [&](UiWindow& box) {
        testing::PumpMessagesUntil(200, [] { return false; });
        pixel = ::GetPixel(WindowDc(box.handle()).get(), 5, 18);
        box.Click("button1");
    });
    return pixel;
}

// The skin's own picture, a colour in its place, or one of the twelve pictures.
TEST(OwnedWindowsTest, TheSkinSettingsChooseTheBackground) {
    const LauncherSettings saved = theSettings;
    theSettings.skinUsesImage = false;
    theSettings.skinColor = 0;
    const COLORREF skinOwn = BackgroundPixel();
    theSettings.skinColor = 0xFF00C000;
    EXPECT_EQ(BackgroundPixel(), RGB(0, 0xC0, 0));
    theSettings.skinUsesImage = true;
    theSettings.skinImage = 7;
    EXPECT_NE(BackgroundPixel(), skinOwn);
    theSettings = saved;
}

// Control goes back to the login window: a logon the lobby's command line cannot carry (a very
// long OpenID) is refused in its box, nothing is started and its loop goes on; however the player
// leaves the registration form (its two buttons, the system's close command), the login window is
// asked back once.
TEST(OwnedWindowsTest, ARefusedLogonAndALeftFormGiveTheLoginWindowBack) {
    const std::string record = testing::BuildFolder() + "\\Quarnel.run.cmdline";
    ::DeleteFileA(record.c_str());
    OwnerWindow login;
    WhileABoxShows(
        [](UiWindow& box) {
            EXPECT_EQ(box.Text("content"), "登录信息过长,无法启动游戏大厅,请换用其他方式登录!");
            box.Click("button1");
        },
        [&] { HandOffLogon(login, QqLogonCommandLine(0, std::string(240, 'q'))); });
    MSG quit;
    EXPECT_FALSE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    testing::PumpMessagesUntil(500, [] { return false; });
    EXPECT_EQ(::GetFileAttributesA(record.c_str()), INVALID_FILE_ATTRIBUTES) << "no lobby";

    for (const char* way : {"close_bt", "cancel_bt", "system close"}) {
        ASSERT_TRUE(OpenRegisterWindow(login));
        const HWND form = ::FindWindowA("GameRegister", nullptr);
        testing::PumpMessagesUntil(300, [] { return false; });  // laid out and painted
        const int before = login.shownAgain;
        if (std::string(way) == "system close") {
            ::PostMessageA(form, WM_SYSCOMMAND, SC_CLOSE, 0);
        } else {
            EXPECT_TRUE(UiWindow(form).Click(way));
        }
        EXPECT_TRUE(testing::PumpMessagesUntil(5000, [&] { return !::IsWindow(form); })) << way;
        EXPECT_EQ(login.shownAgain, before + 1) << way;
    }
}

}  // namespace
}  // namespace gatevane
