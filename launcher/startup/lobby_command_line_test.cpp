#include "launcher/startup/lobby_command_line.h"

#include <gtest/gtest.h>

#include <cstring>

namespace gatevane {
namespace {

TEST(LobbyCommandLine, FormatsTheFiveForms) {
    EXPECT_EQ(AccountLogonCommandLine(7, "player01", "secret", true),
              "/Type:1 /ServerID:7 /Account:player01 /PassWord:secret /RemPassword:1");
    EXPECT_EQ(AccountLogonCommandLine(0, "a", "b", false),
              "/Type:1 /ServerID:0 /Account:a /PassWord:b /RemPassword:0");
    EXPECT_EQ(QqLogonCommandLine(3, "QQ-OPENID"), "/Type:2 /ServerID:3 /OpenID:QQ-OPENID");
    EXPECT_EQ(WeChatLogonCommandLine(5, "wx1"), "/Type:3 /ServerID:5 /OpenID:wx1");
    RegistrationData data{"newbie", "赵之玉", "pw123abc", "张三", "11010519491231002X", "88"};
    EXPECT_EQ(RegistrationCommandLine(8, data),
              "/Type:4 /ServerID:8 /Account:newbie /NickName:赵之玉 /PassWord:pw123abc "
              "/UserName:张三 /UserCardID:11010519491231002X /Spreader:88");
    EXPECT_EQ(PhoneRegistrationCommandLine(12, "13800000000", "x y"),
              "/Type:5 /ServerID:12 /Account:13800000000 /PassWord:x y");
}

TEST(LobbyCommandLine, ValuesGoInUnquotedAndEmptyValuesStayEmpty) {
    EXPECT_EQ(AccountLogonCommandLine(-1, "a b/c", "", false),
              "/Type:1 /ServerID:-1 /Account:a b/c /PassWord: /RemPassword:0");
}

TEST(ScrambleLobbyCommandLine, IsLowercaseHexInWholeGroupsAndUnscramblesToThePlainLine) {
    const std::string plain = AccountLogonCommandLine(7, "player01", "secret", false);
    const std::string scrambled = ScrambleLobbyCommandLine(plain);
    ASSERT_FALSE(scrambled.empty());
    EXPECT_EQ(scrambled.size() % 20, 0u);
    EXPECT_EQ(scrambled.find_first_not_of("0123456789abcdef"), std::string::npos);
    char back[256];
    ASSERT_EQ(UnscrambleText(scrambled, back, sizeof back), plain.size());
    EXPECT_EQ(back, plain);
}

TEST(ScrambleLobbyCommandLine, RefusesLinesThatCannotBeCarriedWhole) {
    const std::string prefix = "/Type:2 /ServerID:0 /OpenID:";
    const std::string longest = prefix + std::string(255 - prefix.size(), 'o');
    const std::string scrambled = ScrambleLobbyCommandLine(longest);
    EXPECT_EQ(scrambled.size(), 1020u);
    EXPECT_EQ(ScrambleLobbyCommandLine(longest + "o"), "");
    EXPECT_EQ(ScrambleLobbyCommandLine(""), "");
}

}  // namespace
}  // namespace gatevane
