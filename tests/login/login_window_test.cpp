// The whole launcher in a fresh program folder, driven through its login window as a player
// would, against nginx, the fault server, the logon server stand-in and the lobby host stand-in:
// what the window shows, what the lobby receives, what lands on disk and in the registry.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "base/winsock_win.h"
#include "launcher/update/md5.h"
#include "launcher/update/scramble.h"
#include "launcher/update/update_list.h"
#include "tests/support/lobby_record.h"
#include "tests/support/message_box_closer.h"
#include "tests/support/native_server.h"
#include "tests/support/test_folder.h"
#include "tests/support/ui_automation.h"

namespace gatevane {
namespace {

using testing::HttpFaultServer;
using testing::LogonServer;
using testing::NginxServer;
using testing::TestFolder;
using testing::UiControl;
using testing::UiWindow;
using testing::UnixPath;
using testing::WaitUntil;

constexpr char kNginx[] = "127.0.0.60:8060";
constexpr char kFaults[] = "127.0.0.61:8061";
constexpr char kNobody[] = "127.0.0.62:8062";  // nothing listens there
constexpr char kUsersKey[] = "Software\\Velmora\\GameTessel\\UserInfo";
constexpr char kOptionKey[] = "Software\\Velmora\\GameTessel\\OptionLogon";
constexpr DWORD kWindowWait = 15000;

std::string Scrambled(const std::string& text) {
    char out[1024];
    ScrambleText(text, out, sizeof out);
    return out;
}

class LoginWindowTest : public ::testing::Test {
protected:
    LoginWindowTest() {
        for (const char* program : {"Quarnel.exe", "Quarnel.run", "NetworkService.dll"}) {
            folder_.CopyBuilt(program, program);
        }
        std::filesystem::copy(testing::BuildFolder() + "\\TesselRes", folder_.Path("TesselRes"),
                              std::filesystem::copy_options::recursive);
        web_.MakeFolder("Update\\New\\config");
        SetHosts(kNobody);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velmora");
    }

    ~LoginWindowTest() override {
        if (launcher_ && !testing::EndsWithin(launcher_, 0)) ::TerminateProcess(launcher_.get(), 1);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velmora");
    }

    // Every site of the hall on `updateHost`; the nine lines on 127.0.0.80 to .88.
    void SetHosts(const std::string& updateHost) {
        std::string ini = "[Hosts]\r\n";
        for (const char* key : {"AdHost", "UpdateHost", "AccountHost", "WebHost", "ShopHost",
                                "PayHost", "ForumHost", "WeChatHost", "LogonHost"}) {
            ini += std::string(key) + "=" + (key[0] == 'U' ? updateHost : kNobody) + "\r\n";
        }
        folder_.Write("Gatevane.ini", ini);
        std::string lines = "[logon]\r\nselected=0\r\n";
        for (int i = 0; i < 9; ++i) {
            lines += "logon" + std::to_string(i) + "=" + Scrambled(LineHost(i)) + "\r\n";
        }
        folder_.Write("ServerInfo.ini", lines);
    }

    static std::string LineHost(int index) { return "127.0.0." + std::to_string(80 + index); }

    // Publishes an update list naming `files` (name, content), fetched from `base`.
    void Publish(const std::vector<std::pair<std::string, std::string>>& files,
                 const std::string& base) {
        UpdateList list{base, {}};
        for (const auto& [name, content] : files) {
            list.entries.push_back({name, ChecksumTextOf(content)});
            web_.MakeFolder("files\\sub");
            web_.Write("files\\" + name, content);
        }
        const std::vector<std::uint8_t> bytes = CompressUpdateList(list);
        web_.Write("Update\\New\\config\\Update.txt", std::string(bytes.begin(), bytes.end()));
    }

    UiWindow Start(const std::string& arguments = "") {
        launcher_ = testing::StartProgram(folder_.Path("Quarnel.exe"), folder_.path(), arguments);
        std::optional<UiWindow> window = UiWindow::Find("GameLogin", kWindowWait);
        if (!window) throw std::runtime_error("the login window did not show");
        return *window;
    }

    bool LauncherEnds(int milliseconds = 10000) const {
        return testing::EndsWithin(launcher_, milliseconds);
    }

    std::string LobbyLogon() const { return testing::LobbyLogonIn(folder_.path()); }

    // ServerInfo.ini comes to name `line` as the selected one.
    bool StoresLine(int line) const {
        const std::string selected = "selected=" + std::to_string(line);
        return WaitUntil(10000, [&] {
            return folder_.Read("ServerInfo.ini").find(selected) != std::string::npos;
        });
    }

    TestFolder folder_;
    TestFolder web_;
    UniqueKernelHandle launcher_;
};

// The control comes to read `text` (as its label or its value).
bool Shows(const UiWindow& window, const char* control, const std::string& text) {
    return window.WaitFor(
        control, [&](const UiControl& c) { return c.name == text || c.value == text; },
        kWindowWait);
}

// The text of the message box the launcher shows, answered with its middle button (or with
// Return on it, once Escape and Return on the box itself did not close it).
std::string AnswerBox(bool withKeys = false) {
    std::optional<UiWindow> box = UiWindow::Find("UIMessageBox", 5000);
    if (!box) return "<no box>";
    const std::string text = box->Name("content");
    if (!withKeys) {
        box->Click("button1");
    } else {
        box->PressKey(VK_ESCAPE);
        box->PressKey(VK_RETURN);
        ::Sleep(300);
        EXPECT_TRUE(::IsWindowVisible(box->handle())) << "neither key closes the box";
        box->Focus("button1");
        ::Sleep(100);
        box->PressKey(VK_RETURN);
    }
    EXPECT_TRUE(WaitUntil(5000, [] { return !::FindWindowA("UIMessageBox", nullptr); }));
    return text;
}

// Every end of the update as the player sees it: nothing to fetch, no list, a server that never
// answers, a file that stalls half way, a release fetched to its end that starts the lobby without
// a logon, and a file the server refuses.
TEST_F(LoginWindowTest, LogonWaitsForTheUpdateWhichEndsInTheLobbyOrStalls) {
    NginxServer nginx({"--listen", kNginx, "--root", UnixPath(web_.path())});
    HttpFaultServer faults({"--listen", kFaults, "--root", UnixPath(web_.path())});
    folder_.Write("a.dat", "old");
    Publish({{"a.dat", "old"}}, "http://127.0.0.60:8060/files/");
    SetHosts(kNginx);
    UiWindow window = Start();
    EXPECT_TRUE(Shows(window, "UpdateState", "更新完成"));
    EXPECT_TRUE(window.IsEnabled("Logon"));
    EXPECT_EQ(window.Text("AllFileProgress"), "0/100");
    ::PostMessageA(window.handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(LauncherEnds());

    SetHosts(kNobody);
    window = Start();
    EXPECT_TRUE(Shows(window, "UpdateState", "更新完成"));
    EXPECT_TRUE(window.IsEnabled("Logon"));
    ASSERT_TRUE(window.Click("CloseWindow"));
    ASSERT_TRUE(LauncherEnds());

    {  // a server that takes the request and never answers
        WinsockStartup winsock;
        UniqueSocket silent(::socket(AF_INET, SOCK_STREAM, 0));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = ::htons(8062);
        address.sin_addr.s_addr = ::inet_addr("127.0.0.62");
        ASSERT_EQ(::bind(silent.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::listen(silent.get(), 4);
        window = Start();
        EXPECT_TRUE(Shows(window, "UpdateState", "正在检查更新..."));
        ::Sleep(500);
        for (const char* button : {"Logon", "Register", "QQLogon", "WXLogon"}) {
            EXPECT_FALSE(window.IsEnabled(button)) << button;
        }
        EXPECT_TRUE(window.IsEnabled("SavePassword"));
        ::TerminateProcess(launcher_.get(), 1);
        ASSERT_TRUE(LauncherEnds());
    }

    const std::vector<std::pair<std::string, std::string>> release = {
        {"a.dat", std::string(500, 'a')},
        {"sub/b.dat", std::string(2000, 'b')},
        {"c.dat", std::string(300, 'c')}};
    Publish(release, "http://127.0.0.61:8061/stall/files/");
    SetHosts(kNginx);
    window = Start();
    EXPECT_TRUE(Shows(window, "UpdateState", "3个文件需要更新,当前更新第2个..."));
    EXPECT_TRUE(Shows(window, "AllFileProgress", "1000/2000")) << window.Text("AllFileProgress");
    EXPECT_EQ(window.Name("AllFileProgress"), "1/3");
    EXPECT_FALSE(window.IsEnabled("Logon"));
    ::TerminateProcess(launcher_.get(), 1);
    ASSERT_TRUE(LauncherEnds());

    Publish(release, "http://127.0.0.60:8060/files/");
    launcher_ = testing::StartProgram(folder_.Path("Quarnel.exe"), folder_.path());
    ASSERT_TRUE(LauncherEnds(20000)) << "the launcher ends once the lobby runs";
    EXPECT_EQ(LobbyLogon().find(' '), std::string::npos) << "no logon";
    EXPECT_EQ(folder_.Read("sub\\b.dat"), release[1].second);

    testing::MessageBoxCloser notices("温馨提示");
    folder_.Write("sub\\b.dat", "old");
    Publish(release, "http://127.0.0.61:8061/status/404/files/");
    ::DeleteFileA(folder_.Path("Quarnel.run.cmdline").c_str());
    window = Start();
    EXPECT_TRUE(WaitUntil(20000, [&] { return !notices.Texts().empty(); }));
    EXPECT_NE(window.Name("UpdateState"), "更新完成");
    EXPECT_FALSE(window.IsEnabled("Logon"));
    EXPECT_FALSE(folder_.Exists("Quarnel.run.cmdline"));
}

// Typed logons, started with /StartLogin:1 (nothing probed or checked): empty fields, fields cut
// to the command line's sizes, a lobby host missing and then back, the remember option. Then the
// line probes: the first line that answers is selected and stored; a click replaces it and travels
// as ServerID.
TEST_F(LoginWindowTest, ATypedLogonReachesTheLobbyOnTheLineTakenOrTellsWhyNot) {
    LogonServer lines({"--listen", LineHost(3), "--listen", LineHost(7)});
    UiWindow window = Start("/StartLogin:1");
    window.SetText("LogonAccount", "player");
    window.SetText("PassWord", "secret");
    window.Focus("PassWord");
    window.PressKey(VK_RETURN);  // neither key logs on or closes
    window.PressKey(VK_ESCAPE);
    EXPECT_FALSE(LauncherEnds(1500));
    EXPECT_EQ(lines.Count("accept"), 0);
    EXPECT_EQ(window.Name("UpdateState").find("更新"), std::string::npos);

    window.SetText("PassWord", "");
    window.Click("Logon");
    EXPECT_EQ(AnswerBox(true), "帐号密码不能为空,请输入帐号密码后再尝试登录!");

    ::DeleteFileA(folder_.Path("Quarnel.run").c_str());
    window.SetText("LogonAccount", std::string(40, 'a'));
    window.SetText("PassWord", std::string(40, 'p'));
    window.Click("SavePassword");
    window.Click("Logon");
    EXPECT_EQ(AnswerBox(), "创建宿主进程失败!(" + folder_.path() + "/Quarnel.run)");

    folder_.CopyBuilt("Quarnel.run", "Quarnel.run");
    window.Click("Logon");
    ASSERT_TRUE(LauncherEnds());
    EXPECT_EQ(LobbyLogon(), "/Type:1 /ServerID:0 /Account:" + std::string(31, 'a') +
                                " /PassWord:" + std::string(32, 'p') + " /RemPassword:1");

    ::DeleteFileA(folder_.Path("Quarnel.run.cmdline").c_str());
    window = Start();
    ASSERT_TRUE(StoresLine(3)) << folder_.Read("ServerInfo.ini");
    EXPECT_TRUE(window.IsChecked("LogonLineAuto"));

    window.Click("LogonLine2");
    ASSERT_TRUE(StoresLine(7)) << folder_.Read("ServerInfo.ini");
    window.SetText("LogonAccount", "player");
    window.SetText("PassWord", "secret");
    window.Click("Logon");
    ASSERT_TRUE(LauncherEnds());
    EXPECT_EQ(LobbyLogon(), "/Type:1 /ServerID:7 /Account:player /PassWord:secret /RemPassword:0");
}

// Opens the hall's web addresses as the browser would: the test prefix sends "http" to a recorder
// (the lobby host stand-in under another name, which writes down its command line) for the life
// of the object.
class LinkRecorder {
public:
    explicit LinkRecorder(const TestFolder& folder) : folder_(folder) {
        folder.CopyBuilt("Quarnel.run", "LinkRecorder.exe");
        char old[1024] = {};
        DWORD size = sizeof old;
        ::RegGetValueA(HKEY_LOCAL_MACHINE, kCommandKey, nullptr, RRF_RT_REG_SZ, nullptr, old,
                       &size);
        previous_ = old;
        Set("\"" + folder.Path("LinkRecorder.exe") + "\" \"%1\"");
    }
    ~LinkRecorder() { Set(previous_); }

    // The addresses opened so far, in order, one line "arguments: ["ADDRESS"]" each.
    std::string Opened() const {
        const char* record = "LinkRecorder.exe.cmdline";
        std::istringstream lines(folder_.Exists(record) ? folder_.Read(record) : "");
        std::string opened;
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("arguments: ", 0) == 0) opened += line + "\n";
        }
        return opened;
    }

private:
    static constexpr char kCommandKey[] = "Software\\Classes\\http\\shell\\open\\command";
    void Set(const std::string& command) {
        ::RegSetKeyValueA(HKEY_LOCAL_MACHINE, kCommandKey, nullptr, REG_SZ, command.c_str(),
                          static_cast<DWORD>(command.size() + 1));
    }
    const TestFolder& folder_;
    std::string previous_;
};

// Leaves `field` of a window of the launcher for another, which runs the field's live check.
void Leave(const UiWindow& window, const char* field, const char* next) {
    window.Focus(field);
    ::Sleep(100);
    window.Focus(next);
    ::Sleep(100);
}

// The form's mark for a field shows, ticked or crossed.
bool ShowsMark(const UiWindow& form, const char* option, bool ticked) {
    auto shown = [&](const UiControl& c) {
        return !(c.state & STATE_SYSTEM_INVISIBLE) && !!(c.state & STATE_SYSTEM_CHECKED) == ticked;
    };
    return form.WaitFor(option, shown, 5000);
}

// The web links open the hall's sites in the browser; the QQ and WeChat pages open inside the
// window, once each, and the close button goes back. Then a new player registers (the hall came
// through referrer 12, which the form shows and keeps): the form opens in the login window's place
// and gives it back, checks each field as the player leaves it, offers the phone page and refuses
// what cannot be registered; the lobby gets every field of a valid form in its place.
TEST_F(LoginWindowTest, LinksOpenTheHallsSitesAndANewPlayerRegisters) {
    LinkRecorder browser(folder_);
    // "taken1", and its remark in GBK, given as bytes: a command line would carry them as UTF-8.
    LogonServer server(
        {"--listen", LineHost(0), "--taken-hex", "74616b656e31=b8c3d5cabac5d2d1b1bbd7a2b2e1"});
    folder_.Write("Spreader.ini", "[SpreaderInfo]\r\nSpreaderID=12\r\n");
    UiWindow window = Start("/StartLogin:1");
    const std::string site = std::string("http://") + kNobody;
    const std::vector<std::pair<const char*, std::string>> links = {
        {"GetPassword", site + "/Account/FindPassword"},
        {"WebIndex", site},
        {"RegisterTop", site},
        {"Pay", site},
        {"QQOnline", site + "/index/help.htm"}};
    std::string opened;
    for (const auto& [link, address] : links) {
        window.Click(link);
        opened += "arguments: [\"" + address + "\"]\n";
        ASSERT_TRUE(WaitUntil(10000, [&] { return browser.Opened() == opened; }))
            << link << ": " << browser.Opened();
    }

    window.Click("QQLogon");
    ASSERT_TRUE(Shows(window, "LogonRegister", "1"));
    EXPECT_EQ(window.Text("LogonWeb"),
              site + "/connect.php?mod=login&op=init&referer=forum.php&statfrom=login_simple");
    window.Click("QQLogon");
    window.Click("CloseWindow");
    ASSERT_TRUE(Shows(window, "LogonRegister", "0"));
    window.Click("WXLogon");
    ASSERT_TRUE(Shows(window, "LogonRegister", "2"));
    EXPECT_EQ(window.Text("WXLogonWeb"), site + "/WeiXin/Login");
    EXPECT_EQ(window.Text("web"), site + "/ad/gamelogin");
    window.Click("CloseWindow");
    ASSERT_TRUE(Shows(window, "LogonRegister", "0"));

    window.Click("Register");
    std::optional<UiWindow> form = UiWindow::Find("GameRegister", 5000);
    ASSERT_TRUE(form);
    EXPECT_TRUE(WaitUntil(3000, [&] { return !::IsWindowVisible(window.handle()); }));
    form->Click("cancel_bt");
    EXPECT_TRUE(WaitUntil(3000, [&] { return ::IsWindowVisible(window.handle()); }));
    window.Click("Register");
    form = UiWindow::Find("GameRegister", 5000);
    ASSERT_TRUE(form);
    EXPECT_TRUE(form->State("SpeedUserName_edit") & STATE_SYSTEM_READONLY);

    form->SetText("Account_edit", "taken1");
    Leave(*form, "Account_edit", "NickName_edit");
    EXPECT_TRUE(ShowsMark(*form, "Account_option", false));
    EXPECT_EQ(form->Name("Account_tooltip"),
              "\xB8\xC3\xD5\xCA\xBA\xC5\xD2\xD1\xB1\xBB\xD7\xA2\xB2\xE1");
    form->Click("RandNickname_bt");
    EXPECT_TRUE(ShowsMark(*form, "NickName_option", true));
    EXPECT_EQ(form->Name("NickName_tooltip"), "正确!");
    Leave(*form, "NickName_edit", "Pass_edit");
    ::Sleep(500);
    EXPECT_EQ(server.Count("name-check"), 1) << "a random nickname is not asked about";

    // The phone page takes the form's place (its page on the account site, the form's buttons
    // gone); back on the form, the nickname starts empty.
    form->Click("TelPhoneRegister_bt");
    EXPECT_TRUE(Shows(*form, "Registertabs", "1"));
    EXPECT_EQ(form->Text("TelPhoneRegisterWeb"), site + "/Account/RegisterClient");
    EXPECT_FALSE(form->IsVisible("register_bt"));
    EXPECT_FALSE(form->IsVisible("cancel_bt"));
    form->Click("NorRegister_bt");
    EXPECT_TRUE(Shows(*form, "Registertabs", "0"));
    EXPECT_TRUE(form->IsVisible("register_bt"));
    EXPECT_EQ(form->Text("NickName_edit"), "");

    form->SetText("Account_edit", "newplayer");
    form->SetText("Pass_edit", "abc12");
    Leave(*form, "Pass_edit", "Pass2_edit");
    EXPECT_TRUE(ShowsMark(*form, "Pass_option", false));

    const std::string nickname = "\xD0\xC2\xCA\xD6\xCD\xE6\xBC\xD2";  // four characters
    const std::pair<const char*, std::string> fields[] = {{"NickName_edit", nickname},
                                                          {"Pass_edit", "secret7x"},
                                                          {"Pass2_edit", "secret7x"},
                                                          {"RealName_edit", "\xD5\xC5\xC8\xFD"},
                                                          {"UserCardID_edit", "440301199003071230"},
                                                          {"ValidateCode_edit", "x"}};
    for (const auto& [field, text] : fields) EXPECT_TRUE(form->SetText(field, text)) << field;
    form->Click("register_bt");
    EXPECT_EQ(AnswerBox(), "效验码效验验证失败，请重新输入！");
    form->SetText("ValidateCode_edit", form->Text("ValidateCode"));  // as a screen reader reads it
    form->Click("register_bt");
    ASSERT_TRUE(LauncherEnds());
    EXPECT_EQ(LobbyLogon(), "/Type:4 /ServerID:0 /Account:newplayer /NickName:" + nickname +
                                " /PassWord:secret7x /UserName:\xD5\xC5\xC8\xFD"
                                " /UserCardID:440301199003071230 /Spreader:12");
}

void WriteUser(const char* id, const char* account, const std::string& password, DWORD gameId) {
    const std::string path = std::string(kUsersKey) + "\\" + id;
    ::RegSetKeyValueA(HKEY_CURRENT_USER, path.c_str(), "UserAccount", REG_SZ, account,
                      static_cast<DWORD>(std::strlen(account) + 1));
    ::RegSetKeyValueA(HKEY_CURRENT_USER, path.c_str(), "UserPassword", REG_SZ, password.c_str(),
                      static_cast<DWORD>(password.size() + 1));
    ::RegSetKeyValueA(HKEY_CURRENT_USER, path.c_str(), "GameID", REG_DWORD, &gameId, sizeof gameId);
}

void SendButton(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    ::SendInput(1, &input, sizeof input);
}

// A real click in the middle of `place`: the pointer goes there, the button goes down (and up,
// unless `release` is false).
void ClickAt(const RECT& place, bool release = true) {
    ::SetCursorPos((place.left + place.right) / 2, (place.top + place.bottom) / 2);
    ::Sleep(150);
    SendButton(MOUSEEVENTF_LEFTDOWN);
    if (release) SendButton(MOUSEEVENTF_LEFTUP);
}

// The entries of the account list, named by what they show; while the list is open their places
// are in its drop box.
std::vector<UiControl> ListItems(const UiWindow& window) {
    std::vector<UiControl> items;
    for (const UiControl& control : window.Controls()) {
        if (control.role == ROLE_SYSTEM_LISTITEM) items.push_back(control);
    }
    return items;
}

// Remembered accounts: the last user picked at start, the list opened with a click, another user
// picked, one deleted with its button; the remembered password is what logs on.
TEST_F(LoginWindowTest, RememberedAccountsFillTheFormAndCanBeDeleted) {
    WriteUser("1001", "alice", Scrambled("alice-pw"), 880001);
    WriteUser("1002", "bob", "", 0);
    WriteUser("1003", "carol", "not scrambled", 5);
    DWORD last = 1001;
    ::RegSetKeyValueA(HKEY_CURRENT_USER, kOptionKey, "LastUserID", REG_DWORD, &last, sizeof last);

    UiWindow window = Start("/StartLogin:1");
    EXPECT_TRUE(Shows(window, "LogonAccount", "alice"));
    EXPECT_TRUE(window.IsChecked("SavePassword"));

    RECT arrow = window.Control("Account")->screen;
    arrow.left = arrow.right - 24;
    ClickAt(arrow);
    std::optional<UiWindow> drop = UiWindow::Find("GatevaneComboDrop", 5000);
    ASSERT_TRUE(drop) << "the list opens at a click on its arrow";
    ::Sleep(300);
    ASSERT_TRUE(::IsWindowVisible(drop->handle())) << "and stays open";
    std::vector<UiControl> items = ListItems(window);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].name, "alice 880001");
    ASSERT_TRUE(window.ClickChild(items[1].childId));
    EXPECT_TRUE(Shows(window, "LogonAccount", "bob"));
    EXPECT_FALSE(window.IsChecked("SavePassword")) << "bob has no password";

    // carol's delete button shows while the pointer is over her entry; a press deletes her.
    ClickAt(arrow);
    drop = UiWindow::Find("GatevaneComboDrop", 5000);
    ASSERT_TRUE(drop);
    const RECT carol = ListItems(window)[2].screen;
    ::SetCursorPos((carol.left + carol.right) / 2, (carol.top + carol.bottom) / 2);
    std::optional<UiControl> button;
    ASSERT_TRUE(WaitUntil(3000, [&] {
        for (const UiControl& c : drop->Controls()) {
            if (c.controlName == "btDelAccount" && !(c.state & STATE_SYSTEM_INVISIBLE)) button = c;
        }
        return button.has_value();
    }));
    ClickAt(button->screen, false);
    EXPECT_TRUE(WaitUntil(3000, [] {
        const std::string carolKey = std::string(kUsersKey) + "\\1003";
        return ::RegGetValueA(HKEY_CURRENT_USER, carolKey.c_str(), "UserAccount", RRF_RT_ANY,
                              nullptr, nullptr, nullptr) != ERROR_SUCCESS;
    })) << "the press deletes the entry, before the release";
    SendButton(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(Shows(window, "LogonAccount", "alice")) << "the last user is picked again";
    EXPECT_EQ(ListItems(window).size(), 2u);

    window.Click("Logon");
    ASSERT_TRUE(LauncherEnds());
    EXPECT_EQ(LobbyLogon(), "/Type:1 /ServerID:0 /Account:alice /PassWord:alice-pw /RemPassword:1");
}

}  // namespace
}  // namespace gatevane
