#include "launcher/startup/start_login_switch.h"

#include <gtest/gtest.h>

#include <utility>

namespace gatevane {
namespace {

// atoi's reading of the first token that starts with the exact switch, saturated; zero without one.
TEST(ParseStartLogin, ReadsTheNumberOfTheFirstMatchingToken) {
    const std::pair<const char*, int> cases[] = {
        {"-x /StartLogin:1 /Other:3", 1},
        {"/StartLogin:2 /StartLogin:1", 2},
        {"a  /StartLogin:1", 1},  // an empty token between two spaces
        {"/StartLogin:12abc", 12},
        {"/StartLogin:-4", -4},
        {"/StartLogin:+1", 1},
        {"/StartLogin:4294967297", 2147483647},
        {"/StartLogin:-99999999999", -2147483647 - 1},
        {"", 0},
        {"/StartLogin:", 0},
        {"/StartLogin:x1", 0},
        {"/startlogin:1", 0},
        {"x/StartLogin:1", 0},
        {"\"/StartLogin:1\"", 0}};  // no quoting rules
    for (const auto& [line, number] : cases) EXPECT_EQ(ParseStartLogin(line), number) << line;
}

TEST(UpdateCheckWanted, OnlyStartLoginOneSkipsTheCheck) {
    EXPECT_TRUE(UpdateCheckWanted(""));
    EXPECT_FALSE(UpdateCheckWanted("玩家 /StartLogin:1 其他"));
    EXPECT_TRUE(UpdateCheckWanted("/StartLogin:2"));
    EXPECT_TRUE(UpdateCheckWanted("/startlogin:1"));
    EXPECT_TRUE(UpdateCheckWanted("/StartLogin:"));
    EXPECT_TRUE(UpdateCheckWanted("anything else"));
}

}  // namespace
}  // namespace gatevane
