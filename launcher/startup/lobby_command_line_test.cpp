#include "launcher/startup/lobby_command_line.h"

#include <gtest/gtest.h>

namespace gatevane {
namespace {

// The account logon and the registration are seen whole in the login window's Wine tests.
TEST(LobbyCommandLine, FormatsTheOtherForms) {
    EXPECT_EQ(QqLogonCommandLine(3, "QQ-OPENID"), "/Type:2 /ServerID:3 /OpenID:QQ-OPENID");
    EXPECT_EQ(WeChatLogonCommandLine(5, "wx1"), "/Type:3 /ServerID:5 /OpenID:wx1");
    EXPECT_EQ(PhoneRegistrationCommandLine(12, "13800000000", "x y"),
              "/Type:5 /ServerID:12 /Account:13800000000 /PassWord:x y");
}

TEST(ScrambleLobbyCommandLine, UnscramblesToThePlainLineAndRefusesWhatCannotBeCarriedWhole) {
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

}  // namespace
}  // namespace gatevane
