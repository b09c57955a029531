// The whole launcher in a fresh program folder, driven through its login window as a player
// would, against nginx, the fault server, the logon server stand-in and the lobby host stand-in:
// what the window shows, what the lobby receives, what lands on disk and in the registry.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
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
using testing::WaitUntil;

constexpr char kNginx[] = "127.0.0.60:8060";
constexpr char kFaults[] = "127.0.0.61:8061";
constexpr char kNobody[] = "127.0.0.62:8062";  // nothing listens there
constexpr char kUsersKey[] = "Software\\Velmora\\GameTessel\\UserInfo";
constexpr char kOptionKey[] = "Software\\Velmora\\GameTessel\\OptionLogon";
constexpr DWORD kWindowWait = 15000;

std::string UnixPath(const std::string& windowsPath) {
    std::string path = windowsPath.substr(2);
    for (char& c : path) c = c == '\\' ? '/' : c;
    return path;
}

std::string Scrambled(const std::string& text) {
    char out[1024];
    ScrambleText(text, out, sizeof out);
    return out;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
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

    bool ShowsUpdateState(const UiWindow& window, const std::string& text) const {
        return window.WaitFor(
            "UpdateState", [&](const auto& c) { return c.name == text; }, kWindowWait);
    }

    TestFolder folder_;
    TestFolder web_;
    UniqueKernelHandle launcher_;
};

// Nothing to fetch, a list that cannot be fetched, and a list still on its way.
TEST_F(LoginWindowTest, LogonWaitsForTheUpdateCheckWhateverItsEnd) {
    NginxServer nginx({"--listen", kNginx, "--root", UnixPath(web_.path())});
    folder_.Write("Lobby.dll", "lobby 1");
    Publish({{"Lobby.dll", "lobby 1"}}, "http://127.0.0.60:8060/files/");
    SetHosts(kNginx);
    UiWindow window = Start();
    EXPECT_TRUE(ShowsUpdateState(window, "更新完成"));
    for (const char* button : {"Logon", "Register", "QQLogon", "WXLogon"}) {
        EXPECT_TRUE(window.IsEnabled(button)) << button;
    }
    EXPECT_EQ(window.Text("AllFileProgress"), "0/100");
    ::PostMessageA(window.handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(LauncherEnds());

    SetHosts(kNobody);
    window = Start();
    EXPECT_TRUE(ShowsUpdateState(window, "更新完成"));
    EXPECT_TRUE(window.IsEnabled("Logon"));
    ASSERT_TRUE(window.Click("CloseWindow"));
    ASSERT_TRUE(LauncherEnds());

    // A server that takes the request and never answers: checking, with logon disabled.
    WinsockStartup winsock;
    UniqueSocket silent(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = ::htons(8062);
    address.sin_addr.s_addr = ::inet_addr("127.0.0.62");
    ASSERT_EQ(::bind(silent.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::listen(silent.get(), 4);
    window = Start();
    EXPECT_TRUE(ShowsUpdateState(window, "正在检查更新..."));
    ::Sleep(500);
    for (const char* button : {"Logon", "Register", "QQLogon", "WXLogon"}) {
        EXPECT_FALSE(window.IsEnabled(button)) << button;
    }
    EXPECT_TRUE(window.IsEnabled("SavePassword"));
}

// Three files, the second stalls half way; then a release fetched to its end starts the lobby
// without a logon; then a file the server refuses leaves the window stalled.
TEST_F(LoginWindowTest, TheUpdateShowsItsProgressAndEndsInTheLobbyOrStalls) {
    NginxServer nginx({"--listen", kNginx, "--root", UnixPath(web_.path())});
    HttpFaultServer faults({"--listen", kFaults, "--root", UnixPath(web_.path())});
    const std::vector<std::pair<std::string, std::string>> release = {
        {"a.dat", std::string(500, 'a')},
        {"sub/b.dat", std::string(2000, 'b')},
        {"c.dat", std::string(300, 'c')}};
    Publish(release, "http://127.0.0.61:8061/stall/files/");
    SetHosts(kNginx);
    UiWindow window = Start();
    EXPECT_TRUE(ShowsUpdateState(window, "3个文件需要更新,当前更新第2个..."));
    EXPECT_TRUE(window.WaitFor(
        "AllFileProgress", [](const auto& c) { return c.value == "1000/2000"; }, 5000))
        << window.Text("AllFileProgress");
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

// The line probes: the first line that answers is selected and stored; a click replaces it and
// travels as ServerID. Started with /StartLogin:1 nothing is probed or checked.
TEST_F(LoginWindowTest, TheFirstReachableLineIsTakenAndAClickReplacesIt) {
    LogonServer lines({"--listen", LineHost(3), "--listen", LineHost(7)});
    UiWindow window = Start("/StartLogin:1");
    ::Sleep(1500);
    EXPECT_EQ(lines.Count("accept"), 0);
    EXPECT_FALSE(Contains(window.Name("UpdateState"), "更新"));
    EXPECT_TRUE(window.IsEnabled("Logon"));
    window.Click("CloseWindow");
    ASSERT_TRUE(LauncherEnds());

    window = Start();
    ASSERT_TRUE(WaitUntil(10000, [&] {
        return Contains(folder_.Read("ServerInfo.ini"), "selected=3");
    })) << folder_.Read("ServerInfo.ini");
    EXPECT_TRUE(window.IsChecked("LogonLineAuto"));
    ::Sleep(500);  // the other line's answer changes nothing
    EXPECT_TRUE(Contains(folder_.Read("ServerInfo.ini"), "selected=3"));

    window.Click("LogonLine2");
    ASSERT_TRUE(
        WaitUntil(5000, [&] { return Contains(folder_.Read("ServerInfo.ini"), "selected=7"); }));
    window.SetText("LogonAccount", "player");
    window.SetText("PassWord", "secret");
    window.Click("Logon");
    ASSERT_TRUE(LauncherEnds());
    EXPECT_EQ(LobbyLogon(), "/Type:1 /ServerID:7 /Account:player /PassWord:secret /RemPassword:0");
}

// Typed logons: empty fields, fields cut to the command line's sizes, a lobby host missing and then
// back, the remember option.
TEST_F(LoginWindowTest, ATypedLogonReachesTheLobbyOrTellsWhyNot) {
    UiWindow window = Start("/StartLogin:1");
    window.SetText("LogonAccount", "player");
    window.SetText("PassWord", "secret");
    window.Focus("PassWord");
    window.PressKey(VK_RETURN);  // neither key logs on or closes
    window.PressKey(VK_ESCAPE);
    EXPECT_FALSE(LauncherEnds(500));
    EXPECT_FALSE(folder_.Exists("Quarnel.run.cmdline"));

    window.SetText("PassWord", "");
    window.Click("Logon");
    std::optional<UiWindow> box = UiWindow::Find("UIMessageBox", 5000);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->Name("content"), "帐号密码不能为空,请输入帐号密码后再尝试登录!");
    box->Click("button1");
    ASSERT_TRUE(WaitUntil(5000, [] { return !::FindWindowA("UIMessageBox", nullptr); }));

    ::DeleteFileA(folder_.Path("Quarnel.run").c_str());
    window.SetText("LogonAccount", std::string(40, 'a'));
    window.SetText("PassWord", std::string(40, 'p'));
    window.Click("SavePassword");
    window.Click("Logon");
    box = UiWindow::Find("UIMessageBox", 5000);
    ASSERT_TRUE(box);
    const std::string text = box->Name("content");
    EXPECT_EQ(text, "创建宿主进程失败!(" + folder_.path() + "/Quarnel.run)");
    box->Click("button1");
    ASSERT_TRUE(WaitUntil(5000, [] { return !::FindWindowA("UIMessageBox", nullptr); }));
    EXPECT_FALSE(LauncherEnds(300));

    folder_.CopyBuilt("Quarnel.run", "Quarnel.run");
    window.Click("Logon");
    ASSERT_TRUE(LauncherEnds());
    EXPECT_EQ(LobbyLogon(), "/Type:1 /ServerID:0 /Account:" + std::string(31, 'a') +
                                " /PassWord:" + std::string(32, 'p') + " /RemPassword:1");
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
        if (::RegGetValueA(HKEY_LOCAL_MACHINE, kCommandKey, nullptr, RRF_RT_REG_SZ, nullptr, old,
                           &size) == ERROR_SUCCESS) {
            previous_ = old;
        }
        Set("\"" + folder.Path("LinkRecorder.exe") + "\" \"%1\"");
    }
    ~LinkRecorder() { Set(previous_); }

    // The addresses opened so far, in order.
    std::vector<std::string> Opened() const {
        std::vector<std::string> addresses;
        if (!folder_.Exists("LinkRecorder.exe.cmdline")) return addresses;
        const std::string record = folder_.Read("LinkRecorder.exe.cmdline");
        for (std::size_t at = 0; (at = record.find("arguments: [", at)) != std::string::npos;) {
            at += 12;
            std::string argument = record.substr(at, record.find(']', at) - at);
            if (argument.size() >= 2 && argument.front() == '"')
                argument = argument.substr(1, argument.size() - 2);
            addresses.push_back(argument);
        }
        return addresses;
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

// The registration form opens in the window's place and gives it back; the web links open the
// hall's sites in the browser; the QQ and WeChat pages open inside the window, once each, and the
// close button goes back before it closes.
TEST_F(LoginWindowTest, LinksAndLogonPagesGoToTheHallsSites) {
    LinkRecorder browser(folder_);
    UiWindow window = Start("/StartLogin:1");
    window.Click("Register");  // the form opens in the login window's place, and leaves it back
    std::optional<UiWindow> form = UiWindow::Find("GameRegister", 5000);
    ASSERT_TRUE(form);
    EXPECT_TRUE(WaitUntil(3000, [&] { return !::IsWindowVisible(window.handle()); }));
    form->Click("cancel_bt");
    EXPECT_TRUE(WaitUntil(3000, [&] { return ::IsWindowVisible(window.handle()); }));

    const std::string site = std::string("http://") + kNobody;
    const std::vector<std::pair<const char*, std::string>> links = {
        {"GetPassword", site + "/Account/FindPassword"},
        {"WebIndex", site},
        {"RegisterTop", site},
        {"Pay", site},
        {"QQOnline", site + "/index/help.htm"}};
    for (std::size_t i = 0; i < links.size(); ++i) {
        window.Click(links[i].first);
        ASSERT_TRUE(WaitUntil(10000, [&] { return browser.Opened().size() == i + 1; }))
            << links[i].first;
        EXPECT_EQ(browser.Opened()[i], links[i].second) << links[i].first;
    }

    auto page = [&](const char* value) {
        return window.WaitFor(
            "LogonRegister", [&](const UiControl& c) { return c.value == value; }, 5000);
    };
    window.Click("QQLogon");
    ASSERT_TRUE(page("1"));
    EXPECT_EQ(window.Text("LogonWeb"),
              site + "/connect.php?mod=login&op=init&referer=forum.php&statfrom=login_simple");
    window.Click("QQLogon");
    window.Click("CloseWindow");
    ASSERT_TRUE(page("0"));
    window.Click("WXLogon");
    ASSERT_TRUE(page("2"));
    EXPECT_EQ(window.Text("WXLogonWeb"), site + "/WeiXin/Login");
    EXPECT_EQ(window.Text("web"), site + "/ad/gamelogin");
    window.Click("CloseWindow");
    ASSERT_TRUE(page("0"));
    EXPECT_FALSE(LauncherEnds(300));
    window.Click("CloseWindow");
    EXPECT_TRUE(LauncherEnds());
    EXPECT_FALSE(folder_.Exists("Quarnel.run.cmdline"));
}

// A new player registers (the hall came through referrer 12): the lobby gets every field of the
// form in its place, the picture code read as a screen reader reads it.
TEST_F(LoginWindowTest, ANewPlayerRegistersAndTheLobbyGetsTheForm) {
    folder_.Write("Spreader.ini", "[SpreaderInfo]\r\nSpreaderID=12\r\n");
    UiWindow window = Start("/StartLogin:1");
    window.Click("Register");
    std::optional<UiWindow> form = UiWindow::Find("GameRegister", 5000);
    ASSERT_TRUE(form);
    const std::string nickname = "\xD0\xC2\xCA\xD6\xCD\xE6\xBC\xD2";  // four characters
    const std::pair<const char*, std::string> fields[] = {
        {"Account_edit", "newplayer"},
        {"NickName_edit", nickname},
        {"Pass_edit", "secret7x"},
        {"Pass2_edit", "secret7x"},
        {"RealName_edit", "\xD5\xC5\xC8\xFD"},
        {"UserCardID_edit", "440301199003071230"}};
    for (const auto& [field, text] : fields) EXPECT_TRUE(form->SetText(field, text)) << field;
    form->SetText("ValidateCode_edit", form->Text("ValidateCode"));
    form->Click("register_bt");
    ASSERT_TRUE(LauncherEnds());
    EXPECT_EQ(LobbyLogon(), "/Type:4 /ServerID:0 /Account:newplayer /NickName:" + nickname +
                                " /PassWord:secret7x /UserName:\xD5\xC5\xC8\xFD"
                                " /UserCardID:440301199003071230 /Spreader:12");
}

void WriteUser(const char* id, const char* account, const std::string& password, DWORD face,
               DWORD gameId) {
    const std::string path = std::string(kUsersKey) + "\\" + id;
    ::RegSetKeyValueA(HKEY_CURRENT_USER, path.c_str(), "UserAccount", REG_SZ, account,
                      static_cast<DWORD>(std::strlen(account) + 1));
    ::RegSetKeyValueA(HKEY_CURRENT_USER, path.c_str(), "UserPassword", REG_SZ, password.c_str(),
                      static_cast<DWORD>(password.size() + 1));
    ::RegSetKeyValueA(HKEY_CURRENT_USER, path.c_str(), "FaceID", REG_DWORD, &face, sizeof face);
    ::RegSetKeyValueA(HKEY_CURRENT_USER, path.c_str(), "GameID", REG_DWORD, &gameId, sizeof gameId);
}

void SendButton(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    ::SendInput(1, &input, sizeof input);
}

void ReleaseButton() {
    SendButton(MOUSEEVENTF_LEFTUP);
}

// A real click: the pointer goes there, the button goes down (and up, unless `release` is false).
void ClickAt(int x, int y, bool release = true) {
    ::SetCursorPos(x, y);
    ::Sleep(150);
    SendButton(MOUSEEVENTF_LEFTDOWN);
    if (release) ReleaseButton();
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
    WriteUser("1001", "alice", Scrambled("alice-pw"), 3, 880001);
    WriteUser("1002", "bob", "", 0, 0);
    WriteUser("1003", "carol", "not scrambled", 70, 5);
    DWORD last = 1001;
    ::RegSetKeyValueA(HKEY_CURRENT_USER, kOptionKey, "LastUserID", REG_DWORD, &last, sizeof last);

    UiWindow window = Start("/StartLogin:1");
    auto showsAccount = [&](const char* account) {
        return window.WaitFor(
            "LogonAccount", [&](const UiControl& c) { return c.value == account; }, 5000);
    };
    EXPECT_TRUE(showsAccount("alice"));
    EXPECT_TRUE(window.IsChecked("SavePassword"));

    const RECT arrow = window.Control("Account")->screen;
    ClickAt(arrow.right - 12, (arrow.top + arrow.bottom) / 2);
    std::optional<UiWindow> drop = UiWindow::Find("GatevaneComboDrop", 5000);
    ASSERT_TRUE(drop) << "the list opens at a click on its arrow";
    ::Sleep(300);
    ASSERT_TRUE(::IsWindowVisible(drop->handle())) << "and stays open";
    std::vector<UiControl> items = ListItems(window);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].name, "alice 880001");
    ASSERT_TRUE(window.ClickChild(items[1].childId));
    EXPECT_TRUE(showsAccount("bob"));
    EXPECT_FALSE(window.IsChecked("SavePassword")) << "bob has no password";

    // carol's delete button shows while the pointer is over her entry; a press deletes her.
    ClickAt(arrow.right - 12, (arrow.top + arrow.bottom) / 2);
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
    ClickAt((button->screen.left + button->screen.right) / 2,
            (button->screen.top + button->screen.bottom) / 2, false);
    EXPECT_TRUE(WaitUntil(3000, [] {
        HKEY key = nullptr;
        const std::string carolKey = std::string(kUsersKey) + "\\1003";
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, carolKey.c_str(), 0, KEY_READ, &key) != 0) {
            return true;
        }
        ::RegCloseKey(key);
        return false;
    })) << "the press deletes the entry, before the release";
    ReleaseButton();
    EXPECT_TRUE(showsAccount("alice")) << "the last user is picked again";
    EXPECT_EQ(ListItems(window).size(), 2u);

    window.Click("Logon");
    ASSERT_TRUE(LauncherEnds());
    EXPECT_EQ(LobbyLogon(), "/Type:1 /ServerID:0 /Account:alice /PassWord:alice-pw /RemPassword:1");
}

}  // namespace
}  // namespace gatevane
