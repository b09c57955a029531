#include "launcher/startup/start_login_switch.h"

#include <gtest/gtest.h>

namespace gatevane {
namespace {

TEST(ParseStartLogin, ReadsTheNumberOfTheFirstMatchingToken) {
    EXPECT_EQ(ParseStartLogin("/StartLogin:1"), 1);
    EXPECT_EQ(ParseStartLogin("-x /StartLogin:1 /Other:3"), 1);
    EXPECT_EQ(ParseStartLogin("/StartLogin:2 /StartLogin:1"), 2);
    EXPECT_EQ(ParseStartLogin("a  /StartLogin:1"), 1);  // an empty token between two spaces
    EXPECT_EQ(ParseStartLogin("/StartLogin:12abc"), 12);
    EXPECT_EQ(ParseStartLogin("/StartLogin:-4"), -4);
    EXPECT_EQ(ParseStartLogin("/StartLogin:+1"), 1);
}

TEST(ParseStartLogin, GivesZeroWithoutANumberOrTheExactSwitch) {
    EXPECT_EQ(ParseStartLogin(""), 0);
    EXPECT_EQ(ParseStartLogin("/StartLogin:"), 0);
    EXPECT_EQ(ParseStartLogin("/StartLogin:x1"), 0);
    EXPECT_EQ(ParseStartLogin("/startlogin:1"), 0);
    EXPECT_EQ(ParseStartLogin("/StartLogin"), 0);
    EXPECT_EQ(ParseStartLogin("x/StartLogin:1"), 0);
    EXPECT_EQ(ParseStartLogin("\"/StartLogin:1\""), 0);  // no quoting rules
}

TEST(ParseStartLogin, HugeNumbersSaturateInsteadOfWrapping) {
    EXPECT_EQ(ParseStartLogin("/StartLogin:4294967297"), 2147483647);
    EXPECT_EQ(ParseStartLogin("/StartLogin:-99999999999"), -2147483647 - 1);
}

TEST(UpdateCheckWanted, OnlyStartLoginOneSkipsTheCheck) {
    EXPECT_TRUE(UpdateCheckWanted(""));
    EXPECT_FALSE(UpdateCheckWanted("/StartLogin:1"));
    EXPECT_FALSE(UpdateCheckWanted("玩家 /StartLogin:1 其他"));
    EXPECT_TRUE(UpdateCheckWanted("/StartLogin:2"));
    EXPECT_TRUE(UpdateCheckWanted("/startlogin:1"));
    EXPECT_TRUE(UpdateCheckWanted("/StartLogin:"));
    EXPECT_TRUE(UpdateCheckWanted("anything else"));
}

}  // namespace
}  // namespace gatevane
