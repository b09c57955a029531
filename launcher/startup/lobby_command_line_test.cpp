#include "launcher/startup/lobby_command_line.h"

#include <gtest/gtest.h>

namespace gatevane {
namespace {

TEST(LobbyCommandLine, FormatsTheFiveForms) {
    EXPECT_EQ(AccountLogonCommandLine(7, "player01", "secret", true),
              "/Type:1 /ServerID:7 /Account:player01 /PassWord:secret /RemPassword:1");
    EXPECT_EQ(QqLogonCommandLine(3, "QQ-OPENID"), "/Type:2 /ServerID:3 /OpenID:QQ-OPENID");
    EXPECT_EQ(WeChatLogonCommandLine(5, "wx1"), "/Type:3 /ServerID:5 /OpenID:wx1");
    RegistrationData data{"newbie", "赵之玉", "pw123abc", "张三", "11010519491231002X", "88"};
    EXPECT_EQ(RegistrationCommandLine(8, data),
              "/Type:4 /ServerID:8 /Account:newbie /NickName:赵之玉 /PassWord:pw123abc "
              "/UserName:张三 /UserCardID:11010519491231002X /Spreader:88");
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
