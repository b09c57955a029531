// The registration form in this process, over a stand-in for the login window, driven through its
// accessibility interface against the logon server stand-in; the submit hands off to the build's
// lobby host stand-in.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "launcher/login/login_window_win.h"
#include "launcher/register/register_window_win.h"
#include "launcher/startup/launcher_settings_win.h"
#include "launcher/update/scramble.h"
#include "tests/support/lobby_record.h"
#include "tests/support/native_server.h"
#include "tests/support/test_folder.h"
#include "tests/support/ui_automation.h"

namespace gatevane {
namespace {

using testing::LogonServer;
using testing::PumpMessagesUntil;
using testing::UiControl;
using testing::UiWindow;

constexpr char kLine[] = "127.0.0.79";
// "该帐号已被注册" in GBK, as the server's remark about a taken account.
constexpr char kTakenRemark[] = "\xB8\xC3\xD5\xCA\xBA\xC5\xD2\xD1\xB1\xBB\xD7\xA2\xB2\xE1";

// The login window, as the form sees it: it hides while the form shows and counts the times the
// form asks it back.
class LoginStandIn : public CWindowWnd {
public:
    LoginStandIn() { Create(nullptr, "login", WS_POPUP | WS_VISIBLE, 0, 100, 100, 200, 100); }
    ~LoginStandIn() override {
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

class RegisterWindowTest : public ::testing::Test {
protected:
    RegisterWindowTest() {
        saved_ = theSettings;
        char entry[256];
        ScrambleText(kLine, entry, sizeof entry);
        std::snprintf(theSettings.serverEntries[0], sizeof theSettings.serverEntries[0], "%s",
                      entry);
        theSettings.selectedLine = 0;
        ::DeleteFileA(record_.c_str());
    }
    ~RegisterWindowTest() override {
        theSettings = saved_;
        ::DeleteFileA(record_.c_str());
    }

    UiWindow Open() {
        EXPECT_TRUE(OpenRegisterWindow(login_));
        HWND form = ::FindWindowA("GameRegister", nullptr);
        EXPECT_NE(form, nullptr);
        PumpMessagesUntil(300, [] { return false; });  // laid out and painted
        return UiWindow(form);
    }
    bool Waits(const UiWindow& form, const char* control,
               const std::function<bool(const UiControl&)>& what) {
        return form.WaitFor(control, what, 5000);
    }
    // Leaves `field` for another, which runs the field's live check.
    void Leave(const UiWindow& form, const char* field, const char* next) {
        form.Focus(field);
        PumpMessagesUntil(100, [] { return false; });
        form.Focus(next);
        PumpMessagesUntil(100, [] { return false; });
    }

    LauncherSettings saved_;
    LoginStandIn login_;
    const std::string record_ = testing::BuildFolder() + "\\Quarnel.run.cmdline";
};

// The form's message box runs its own modal loop: it is read and answered from a timer inside
// that loop. The text the box showed after `trigger`, or "" when none showed.
std::string boxText;
bool boxAnswered = false;

void CALLBACK AnswerShownBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = ::FindWindowA("UIMessageBox", nullptr);
    if (boxAnswered || !box || !::IsWindowVisible(box)) return;
    boxAnswered = true;
    UiWindow window(box);
    boxText = window.Name("content");
    window.Click("button1");
}

std::string AnswerBox(const std::function<void()>& trigger) {
    boxText.clear();
    boxAnswered = false;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &AnswerShownBox);
    trigger();
    PumpMessagesUntil(5000, [] { return boxAnswered && !::FindWindowA("UIMessageBox", nullptr); });
    ::KillTimer(nullptr, timer);
    return boxText;
}

bool Shown(const UiControl& c) {
    return !(c.state & STATE_SYSTEM_INVISIBLE);
}

// The live checks as the player leaves each field, the random nickname, a refused submit, then a
// valid one: the lobby gets every field of the form in its place.
TEST_F(RegisterWindowTest, TheFormChecksWhatIsTypedAndHandsAValidOneToTheLobby) {
    // "taken1", and its remark in GBK, given as bytes: a command line would carry them as UTF-8.
    LogonServer server(
        {"--listen", kLine, "--taken-hex", "74616b656e31=b8c3d5cabac5d2d1b1bbd7a2b2e1"});
    UiWindow form = Open();
    EXPECT_FALSE(::IsWindowVisible(login_.GetHWND())) << "the login window hides";

    form.SetText("Account_edit", "taken1");
    Leave(form, "Account_edit", "NickName_edit");
    EXPECT_TRUE(Waits(form, "Account_option", [](const UiControl& c) {
        return Shown(c) && !(c.state & STATE_SYSTEM_CHECKED);
    }));
    EXPECT_EQ(form.Name("Account_tooltip"), kTakenRemark);
    EXPECT_EQ(server.Count("name-check"), 1);

    form.Click("RandNickname_bt");
    EXPECT_TRUE(Waits(form, "NickName_option", [](const UiControl& c) {
        return Shown(c) && (c.state & STATE_SYSTEM_CHECKED);
    }));
    EXPECT_EQ(form.Name("NickName_tooltip"), "正确!");
    Leave(form, "NickName_edit", "Pass_edit");
    PumpMessagesUntil(500, [] { return false; });
    EXPECT_EQ(server.Count("name-check"), 1) << "a random nickname is not asked about";

    form.SetText("Account_edit", "newplayer");
    form.SetText("Pass_edit", "abc12");
    Leave(form, "Pass_edit", "Pass2_edit");
    EXPECT_TRUE(Waits(form, "Pass_option", [](const UiControl& c) {
        return Shown(c) && !(c.state & STATE_SYSTEM_CHECKED);
    }));
    EXPECT_EQ(AnswerBox([&] { form.Click("register_bt"); }),
              "游戏密码长度最短为 6 位字符，请重新输入游戏密码！");

    const std::string nickname = form.Text("NickName_edit");
    form.SetText("Pass_edit", "secret7x");
    form.SetText("Pass2_edit", "secret7x");
    form.SetText("RealName_edit", "\xD5\xC5\xC8\xFD");
    form.SetText("UserCardID_edit", "440301199003071230");
    form.SetText("SpeedUserName_edit", "7");
    form.SetText("ValidateCode_edit", "x");  // a wrong code, then the one a screen reader reads
    EXPECT_EQ(AnswerBox([&] { form.Click("register_bt"); }), "效验码效验验证失败，请重新输入！");
    form.SetText("ValidateCode_edit", form.Text("ValidateCode"));
    form.Click("register_bt");
    ASSERT_TRUE(PumpMessagesUntil(10000, [&] {
        return ::GetFileAttributesA(record_.c_str()) != INVALID_FILE_ATTRIBUTES;
    })) << "the lobby starts";
    EXPECT_EQ(testing::LobbyLogonIn(testing::BuildFolder()),
              "/Type:4 /ServerID:0 /Account:newplayer /NickName:" + nickname +
                  " /PassWord:secret7x /UserName:\xD5\xC5\xC8\xFD"
                  " /UserCardID:440301199003071230 /Spreader:7");
    ::DestroyWindow(form.handle());
}

// The phone page takes the form's place (its page on the account site, the form's buttons gone);
// back on the form, the nickname starts empty.
TEST_F(RegisterWindowTest, ThePhonePageAndBackEmptyTheNickname) {
    UiWindow form = Open();
    form.SetText("NickName_edit", "somebody");
    form.Click("TelPhoneRegister_bt");
    EXPECT_TRUE(Waits(form, "Registertabs", [](const UiControl& c) { return c.value == "1"; }));
    EXPECT_EQ(form.Text("TelPhoneRegisterWeb"),
              "http://" + theSettings.hosts.account + "/Account/RegisterClient");
    EXPECT_FALSE(form.IsVisible("register_bt"));
    EXPECT_FALSE(form.IsVisible("cancel_bt"));
    form.Click("NorRegister_bt");
    EXPECT_TRUE(Waits(form, "Registertabs", [](const UiControl& c) { return c.value == "0"; }));
    EXPECT_TRUE(form.IsVisible("register_bt"));
    EXPECT_EQ(form.Text("NickName_edit"), "");
    ::DestroyWindow(form.handle());
}

// However the player leaves the form (its two buttons, the system's close command), the login
// window shows again; a referrer of the hall's is shown and cannot be changed.
TEST_F(RegisterWindowTest, LeavingTheFormBringsTheLoginWindowBack) {
    testing::TestFolder folder;
    folder.Write("Spreader.ini", "[SpreaderInfo]\r\nSpreaderID=12\r\n");
    testing::CurrentDirectory inFolder(folder.path());
    for (const char* way : {"close_bt", "cancel_bt", "system close"}) {
        UiWindow form = Open();
        EXPECT_EQ(form.Text("SpeedUserName_edit"), "12");
        EXPECT_TRUE(form.State("SpeedUserName_edit") & STATE_SYSTEM_READONLY);
        const int before = login_.shownAgain;
        if (std::string(way) == "system close") {
            ::PostMessageA(form.handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
        } else {
            EXPECT_TRUE(form.Click(way));
        }
        EXPECT_TRUE(PumpMessagesUntil(5000, [&] { return !::IsWindow(form.handle()); })) << way;
        EXPECT_EQ(login_.shownAgain, before + 1) << way;
        EXPECT_TRUE(::IsWindowVisible(login_.GetHWND())) << way;
    }
}

}  // namespace
}  // namespace gatevane
