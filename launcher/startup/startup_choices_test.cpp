#include "launcher/startup/hall_hosts.h"
#include "launcher/startup/lobby_command_line.h"
#include "launcher/startup/server_lines.h"
#include "launcher/startup/skin_background.h"
#include "launcher/startup/start_login_switch.h"

#include <gtest/gtest.h>

#include <string>

namespace gatevane {
namespace {

using Kind = SkinBackground::Kind;

// atoi's reading of the first token that starts with the exact switch, saturated; zero without one
// (an empty token between two spaces is a token; quotes are no quoting). Only 1 skips the update.
TEST(StartUpChoices, TheStartLoginSwitchTheServerLinesAndTheLobbyCommandLine) {
    std::string numbers;
    for (const char* line : {"-x /StartLogin:1 /Other:3", "/StartLogin:2 /StartLogin:1",
                             "a  /StartLogin:1", "玩家 /StartLogin:1 其他", "/StartLogin:12abc",
                             "/StartLogin:-4", "/StartLogin:+1", "/StartLogin:4294967297",
                             "/StartLogin:-99999999999", "", "/StartLogin:", "/StartLogin:x1",
                             "/startlogin:1", "x/StartLogin:1", "\"/StartLogin:1\""}) {
        numbers += std::to_string(ParseStartLogin(line)) + " ";
        EXPECT_EQ(UpdateCheckWanted(line), ParseStartLogin(line) != 1) << line;
    }
    EXPECT_EQ(numbers, "1 2 1 1 12 -4 1 2147483647 -2147483648 0 0 0 0 0 0 ");

    // Indexes 0 to 8 stand for themselves, others for line 0; a negative one asks for the selected
    // line, repaired to 0 when it is out of range.
    const struct {
        int index, selected, entry, selectedAfter;
    } cases[] = {{0, 4, 0, 4},  {8, 4, 8, 4},   {9, 4, 0, 4},  {1000, 4, 0, 4},
                 {-1, 6, 6, 6}, {-1, 12, 0, 0}, {-7, -3, 0, 0}};
    for (const auto& c : cases) {
        int selected = c.selected;
        EXPECT_EQ(ServerEntryIndex(c.index, selected), c.entry) << c.index << " " << c.selected;
        EXPECT_EQ(selected, c.selectedAfter) << c.index << " " << c.selected;
    }
    EXPECT_EQ(ServerLineToStore(5, 0), 5);
    EXPECT_EQ(ServerLineToStore(-3, 7), 0);
    EXPECT_EQ(ServerLineToStore(9, 7), 0);
    EXPECT_EQ(ServerLineToStore(7, 7), std::nullopt);
    EXPECT_EQ(ServerLineToStore(9, 0), std::nullopt);
    std::string options;
    for (int i = -1; i < kServerLineCount; ++i) options += LineOptionForEntry(i) + std::string(" ");
    EXPECT_EQ(options,
              "LogonLineAuto LogonLineAuto LogonLineAuto LogonLineAuto LogonLineAuto "
              "LogonLineAuto LogonLine0 LogonLine0 LogonLine2 LogonLine2 ");
    // The account logon and the registration are seen whole in the login window's Wine tests.
    EXPECT_EQ(QqLogonCommandLine(3, "QQ-OPENID"), "/Type:2 /ServerID:3 /OpenID:QQ-OPENID");
    EXPECT_EQ(WeChatLogonCommandLine(5, "wx1"), "/Type:3 /ServerID:5 /OpenID:wx1");
    EXPECT_EQ(PhoneRegistrationCommandLine(12, "13800000000", "x y"),
              "/Type:5 /ServerID:12 /Account:13800000000 /PassWord:x y");
    // Values go in unquoted, and empty values stay empty.
    const std::string plain = AccountLogonCommandLine(-1, "a b/c", "", false);
    EXPECT_EQ(plain, "/Type:1 /ServerID:-1 /Account:a b/c /PassWord: /RemPassword:0");
    char back[256];
    ASSERT_EQ(UnscrambleText(ScrambleLobbyCommandLine(plain), back, sizeof back), plain.size());
    EXPECT_EQ(back, plain);

    const std::string prefix = "/Type:2 /ServerID:0 /OpenID:";
    const std::string longest = prefix + std::string(255 - prefix.size(), 'o');
    EXPECT_EQ(ScrambleLobbyCommandLine(longest).size(), 1020u);
    EXPECT_EQ(ScrambleLobbyCommandLine(longest + "o"), "");
    EXPECT_EQ(ScrambleLobbyCommandLine(""), "");
}

TEST(StartUpChoices, UsableHostsTheirAddressesAndTheSkinBackground) {
    std::string usable;
    for (const char* host :
         {"ad.velmora.cn", "127.0.0.1", "127.0.0.1:8080", "localhost:1", "staging-2.example:65535",
          "", ":80", "host:", "host:0", "host:65536", "host:8o", "a b", "evil.example/x",
          "user@host", "host:80:81", "[::1]", "host?x", "\xb5\xc7.cn"}) {
        usable += IsUsableHost(host) ? '+' : '-';
    }
    EXPECT_EQ(usable, "+++++-------------");
    EXPECT_TRUE(IsUsableHost(std::string(63, 'a')));
    EXPECT_FALSE(IsUsableHost(std::string(64, 'a')));
    EXPECT_EQ(SiteAddress("bbs.velmora.cn", "/connect.php?mod=login"),
              "http://bbs.velmora.cn/connect.php?mod=login");
    EXPECT_EQ(SiteAddress("127.0.0.1:8080"), "http://127.0.0.1:8080");
    const SkinBackground last = ChooseSkinBackground(true, 0xFF112233, 11);
    EXPECT_EQ(last.kind, Kind::Picture);
    EXPECT_EQ(last.picture, "TesselRes/Skin/ColorSkin/Skin/bkg_11.jpg");
    EXPECT_EQ(ChooseSkinBackground(true, 0, 0).picture, "TesselRes/Skin/ColorSkin/Skin/bkg_0.jpg");
    EXPECT_EQ(ChooseSkinBackground(true, 0xFF112233, 12).kind, Kind::KeepSkin);
    // A negative number in SkinInfo.ini arrives as a large unsigned number.
    EXPECT_EQ(ChooseSkinBackground(true, 0, static_cast<std::uint32_t>(-1)).kind, Kind::KeepSkin);

    const SkinBackground colour = ChooseSkinBackground(false, 0xFF336699, 3);
    EXPECT_EQ(colour.kind, Kind::Color);
    EXPECT_EQ(colour.color, 0xFF336699u);
    EXPECT_EQ(ChooseSkinBackground(false, 0, 3).kind, Kind::KeepSkin);
}

}  // namespace
}  // namespace gatevane
