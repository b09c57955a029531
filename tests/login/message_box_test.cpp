// The skinned message box in a real window over a real owner, driven through accessibility as a
// user (or a screen reader) would, while ShowMessageBox runs its modal loop.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "base/unique_handle_win.h"
#include "launcher/login/lobby_hand_off_win.h"
#include "launcher/login/message_box_window_win.h"
#include "launcher/startup/apply_skin_background_win.h"
#include "launcher/startup/launcher_settings_win.h"
#include "launcher/startup/lobby_command_line.h"
#include "tests/support/native_server.h"
#include "tests/support/ui_automation.h"
#include "toolkit/control_win.h"
#include "toolkit/paint_manager_win.h"

namespace gatevane {
namespace {

using testing::UiControl;
using testing::UiWindow;

constexpr char kBoxClass[] = "UIMessageBox";

BOOL CALLBACK KeepBox(HWND window, LPARAM out) {
    char name[32] = {};
    ::GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, kBoxClass) != 0) return TRUE;
    *reinterpret_cast<HWND*>(out) = window;
    return FALSE;
}

// The message box of this thread (other test programs may show theirs meanwhile).
HWND FindBox() {
    HWND found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &KeepBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

void PumpMessagesFor(int milliseconds) {
    testing::PumpMessagesUntil(milliseconds, [] { return false; });
}

// Ends a box that a failing test left open, so no test can hang.
void CALLBACK CloseForgottenBox(HWND, UINT, UINT_PTR, DWORD) {
    if (HWND box = FindBox()) ::PostMessageA(box, WM_CLOSE, 99, 0);
}

class OwnerWindow : public CWindowWnd {
public:
    OwnerWindow() { Create(nullptr, "owner", WS_POPUP | WS_VISIBLE, 0, 200, 200, 500, 400); }
    ~OwnerWindow() override {
        if (::IsWindow(window_)) ::DestroyWindow(window_);
    }

protected:
    const char* GetWindowClassName() const override { return "GatevaneBoxOwner"; }
};

// Runs `step` from the owner thread's message loop (the box's modal loop) once the box is shown.
class WhileShown {
public:
    explicit WhileShown(std::function<void(UiWindow&)> step) {
        current_ = this;
        step_ = std::move(step);
        timer_ = ::SetTimer(nullptr, 0, 50, &WhileShown::Tick);
    }
    ~WhileShown() {
        ::KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    bool ran() const { return ran_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        WhileShown* self = current_;
        if (!self || self->ran_) return;
        HWND box = FindBox();
        if (!box || !::IsWindowVisible(box)) return;
        self->ran_ = true;
        UiWindow window(box);
        self->step_(window);
    }

    static inline WhileShown* current_ = nullptr;
    std::function<void(UiWindow&)> step_;
    UINT_PTR timer_ = 0;
    bool ran_ = false;
};

// The box closes itself after `limitMs` through its close button, so no test can hang.
unsigned ShowAndDrive(unsigned style, const char* text, std::function<void(UiWindow&)> step) {
    OwnerWindow owner;
    WhileShown driver(std::move(step));
    UINT_PTR guard = ::SetTimer(nullptr, 0, 10000, &CloseForgottenBox);
    unsigned result = ShowMessageBox(owner, text, style);
    ::KillTimer(nullptr, guard);
    EXPECT_TRUE(driver.ran());
    EXPECT_FALSE(FindBox()) << "the box outlived ShowMessageBox";
    return result;
}

class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = theSettings;
        // The skin's own background unless a test chooses one.
        theSettings.skinUsesImage = false;
        theSettings.skinColor = 0;
    }
    void TearDown() override { theSettings = saved_; }

private:
    LauncherSettings saved_;
};

TEST_F(MessageBoxTest, OneButtonStyleShowsOnlyTheMiddleButtonCaptionedOk) {
    const char* text = "帐号密码不能为空,请输入帐号密码后再尝试登录!";
    unsigned result = ShowAndDrive(0, text, [&](UiWindow& box) {
        EXPECT_EQ(box.Text("content"), text);
        EXPECT_FALSE(box.IsVisible("button0"));
        EXPECT_TRUE(box.IsVisible("button1"));
        EXPECT_EQ(box.Name("button1"), "确定");
        EXPECT_FALSE(box.IsVisible("button2"));
        EXPECT_TRUE(box.IsVisible("closebtn"));
        EXPECT_TRUE(box.Click("button1"));
    });
    EXPECT_EQ(result, 1u);
}

TEST_F(MessageBoxTest, TwoButtonStyleGivesOneForTheFirstAndTwoForTheThird) {
    unsigned first = ShowAndDrive(1, "继续吗?", [](UiWindow& box) {
        EXPECT_TRUE(box.IsVisible("button0"));
        EXPECT_FALSE(box.IsVisible("button1"));
        EXPECT_TRUE(box.IsVisible("button2"));
        EXPECT_TRUE(box.Click("button0"));
    });
    EXPECT_EQ(first, 1u);
    unsigned third = ShowAndDrive(1, "继续吗?", [](UiWindow& box) { box.Click("button2"); });
    EXPECT_EQ(third, 2u);
}

TEST_F(MessageBoxTest, OtherStylesKeepTheSkinsButtonsAndTheCloseButtonGivesTwo) {
    unsigned result = ShowAndDrive(7, "text", [](UiWindow& box) {
        // The skin shows all three.
        EXPECT_TRUE(box.IsVisible("button0"));
        EXPECT_TRUE(box.IsVisible("button1"));
        EXPECT_TRUE(box.IsVisible("button2"));
        EXPECT_EQ(box.Name("button2"), "取消");
        EXPECT_TRUE(box.Click("closebtn"));
    });
    EXPECT_EQ(result, 2u);
    EXPECT_EQ(ShowAndDrive(7, "text", [](UiWindow& box) { box.Click("button1"); }), 1u);
}

TEST_F(MessageBoxTest, ReturnAndEscapeDoNotCloseTheBoxButReachTheFocusedButton) {
    bool stayedOpen = false;
    unsigned result = ShowAndDrive(1, "keys", [&](UiWindow& box) {
        box.PressKey(VK_ESCAPE);
        box.PressKey(VK_RETURN);
        PumpMessagesFor(300);
        stayedOpen = ::IsWindow(box.handle()) != FALSE;
        // Return still reaches the normal handling: a focused button takes it as a press.
        EXPECT_TRUE(box.Focus("button2"));
        PumpMessagesFor(100);
        box.PressKey(VK_RETURN);
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(result, 2u);
}

TEST_F(MessageBoxTest, TheCaptionBandDragsTheBoxExceptOverButtons) {
    ShowAndDrive(0, "drag", [](UiWindow& box) {
        RECT frame;
        ::GetWindowRect(box.handle(), &frame);
        auto hitAt = [&](LONG x, LONG y) {
            return ::SendMessageA(box.handle(), WM_NCHITTEST, 0, MAKELPARAM(x, y));
        };
        // The band's title and free space drag; the close button in it and the body are client.
        EXPECT_EQ(hitAt(frame.left + 60, frame.top + 18), HTCAPTION);
        std::optional<UiControl> close = box.Control("closebtn");
        ASSERT_TRUE(close);
        LONG cx = (close->screen.left + close->screen.right) / 2;
        LONG cy = (close->screen.top + close->screen.bottom) / 2;
        EXPECT_EQ(hitAt(cx, cy), HTCLIENT);
        EXPECT_EQ(hitAt(frame.left + 60, frame.top + 100), HTCLIENT);
        box.Click("button1");
    });
}

// The colour of the box's background at a spot of the caption band that no control covers.
COLORREF BackgroundPixel() {
    COLORREF pixel = CLR_INVALID;
    ShowAndDrive(0, "background", [&](UiWindow& box) {
        PumpMessagesFor(200);
        pixel = ::GetPixel(gatevane::WindowDc(box.handle()).get(), 5, 18);
        box.Click("button1");
    });
    return pixel;
}

TEST_F(MessageBoxTest, TheSkinSettingsChooseTheBackground) {
    COLORREF skinOwn = BackgroundPixel();

    theSettings.skinUsesImage = false;
    theSettings.skinColor = 0xFF00C000;
    EXPECT_EQ(BackgroundPixel(), RGB(0, 0xC0, 0));

    theSettings.skinColor = 0;  // a colour skin of colour 0 keeps the skin's background
    EXPECT_EQ(BackgroundPixel(), skinOwn);

    theSettings.skinUsesImage = true;
    theSettings.skinImage = 12;  // beyond the twelve pictures: the skin's own
    EXPECT_EQ(BackgroundPixel(), skinOwn);
    theSettings.skinImage = 7;
    EXPECT_NE(BackgroundPixel(), skinOwn);
}

TEST_F(MessageBoxTest, ApplySkinBackgroundSetsPictureOrColourOnTheControl) {
    CControlUI control;
    control.SetBkImage("skin.png");
    theSettings.skinUsesImage = true;
    theSettings.skinImage = 11;
    ApplySkinBackground(&control);
    EXPECT_EQ(control.GetBkImage(), "TesselRes/Skin/ColorSkin/Skin/bkg_11.jpg");

    theSettings.skinUsesImage = false;
    theSettings.skinColor = 0xFF102030;
    ApplySkinBackground(&control);
    EXPECT_EQ(control.GetBkImage(), "");
    EXPECT_EQ(control.GetBkColor(), 0xFF102030u);

    ApplySkinBackground(nullptr);  // a skin without the control
}

}  // namespace
}  // namespace gatevane

namespace gatevane {
namespace {

// A logon the lobby's command line cannot carry (a very long OpenID) is refused in the window's
// box; nothing is started and the launcher's loop goes on.
TEST_F(MessageBoxTest, ALogonTooLongForTheLobbyIsRefusedWithAMessage) {
    const std::string record = testing::BuildFolder() + "\\Quarnel.run.cmdline";
    ::DeleteFileA(record.c_str());
    OwnerWindow owner;
    WhileShown driver([](UiWindow& box) {
        EXPECT_EQ(box.Text("content"), "登录信息过长,无法启动游戏大厅,请换用其他方式登录!");
        box.Click("button1");
    });
    HandOffLogon(owner, QqLogonCommandLine(0, std::string(240, 'q')));
    EXPECT_TRUE(driver.ran());
    MSG quit;
    EXPECT_FALSE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    testing::PumpMessagesUntil(500, [] { return false; });
    EXPECT_EQ(::GetFileAttributesA(record.c_str()), INVALID_FILE_ATTRIBUTES) << "no lobby";
}

}  // namespace
}  // namespace gatevane
