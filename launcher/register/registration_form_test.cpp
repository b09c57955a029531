#include "launcher/register/registration_form.h"

#include <gtest/gtest.h>

#include <functional>

namespace gatevane {
namespace {

constexpr char kHan8[] =
    "\xD5\xC5\xC8\xFD\xC0\xEE\xCB\xC4\xCD\xF5\xCE\xE5\xD5\xD4\xC1\xF9";  // 8 characters

RegistrationForm Valid() {
    return {"player01",           "Nick01", "secret7x", "secret7x", "\xD5\xC5\xC8\xFD",
            "440301199003071230", "12",     "AB3d",     "AB3d"};
}

// The rules in their order: a form with one fault, or two, shows the first rule's message.
TEST(RegistrationForm, TheFirstFailingRuleGivesItsMessage) {
    const std::pair<std::function<void(RegistrationForm&)>, const char*> faults[] = {
        {[](auto& f) { f.account = "abc", f.nickname = "x"; }, "用户名的长度为 4~16 位字符"},
        {[](auto& f) { f.account = std::string(kHan8) + "\xD5\xC5"; }, "用户名的长度"},
        {[](auto& f) { f.nickname = std::string(17, 'n'); }, "昵称的长度为 4~16 位字符"},
        {[](auto& f) { f.nickname = "player01"; }, "帐号和昵称不能一样"},
        {[](auto& f) { f.password = f.confirmation = "abc12"; }, "游戏密码长度最短为 6 位字符"},
        {[](auto& f) { f.confirmation = "secret7y"; }, "游戏密码与确认密码不一致"},
        {[](auto& f) { f.password = f.confirmation = "Nick01"; }, "密码和昵称不能一样"},
        {[](auto& f) { f.password = f.confirmation = "123456"; }, "密码过于简单"},
        {[](auto& f) { f.legalName = "", f.idCard = "1"; }, "真实姓名不能为空"},
        {[](auto& f) { f.idCard = "440301199003071231"; }, "身份证"},
        {[](auto& f) { f.codeTyped = "ab3d"; }, "效验码效验验证失败"},
    };
    for (const auto& [fault, message] : faults) {
        RegistrationForm form = Valid();
        fault(form);
        const std::string problem = CheckRegistration(form).problem;
        EXPECT_NE(problem.find(message), std::string::npos) << message << " / " << problem;
    }
}

// The record of an ordinary form is seen whole in the lobby line of the login window's Wine tests.
TEST(RegistrationForm, AValidFormGivesItsRecordAndAbsentFieldsSkipTheirRules) {
    RegistrationForm form = Valid();
    form.account = kHan8;  // 16 bytes: the longest
    form.nickname = "PLAYER01";
    form.legalName = std::string(kHan8) + "\xD5\xC5";  // 18 bytes for a 15-byte field
    RegistrationVerdict verdict = CheckRegistration(form);
    EXPECT_EQ(verdict.problem, "");
    EXPECT_EQ(verdict.data.account, kHan8);
    EXPECT_EQ(verdict.data.nickName, "PLAYER01") << "case makes names differ";
    EXPECT_EQ(verdict.data.userName, std::string(kHan8).substr(0, 14)) << "cut between characters";
    EXPECT_EQ(verdict.data.spreader, "12");

    RegistrationForm bare = Valid();
    bare.confirmation = bare.legalName = bare.idCard = bare.spreader = bare.codeShown =
        bare.codeTyped = std::nullopt;
    verdict = CheckRegistration(bare);
    EXPECT_EQ(verdict.problem, "");
    EXPECT_EQ(verdict.data.userName, "");
    EXPECT_EQ(verdict.data.spreader, "");
}

TEST(RegistrationForm, LiveMarks) {
    EXPECT_TRUE(IsAcceptableName("abcd", "abce"));
    EXPECT_FALSE(IsAcceptableName("abc", "x"));
    EXPECT_FALSE(IsAcceptableName("same", "same"));
    EXPECT_TRUE(IsAcceptableName("Same", "same"));
    EXPECT_TRUE(IsAcceptablePassword("123456"));
    EXPECT_FALSE(IsAcceptablePassword("12345"));
    EXPECT_TRUE(IsAcceptableConfirmation("123456", std::string("123456")));
    EXPECT_FALSE(IsAcceptableConfirmation("123456", std::string("1234567")));
    EXPECT_FALSE(IsAcceptableConfirmation("", std::nullopt));
    EXPECT_TRUE(IsAcceptableConfirmation("123456", std::nullopt));
}

}  // namespace
}  // namespace gatevane
