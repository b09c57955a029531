#include "launcher/register/registration_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "launcher/register/id_card_rule.h"
#include "launcher/register/name_check_messages.h"
#include "launcher/register/nickname_words.h"
#include "launcher/register/password_strength.h"
#include "launcher/register/random_nickname.h"
#include "tests/gbk_hanzi.h"

namespace gatevane {
namespace {

using namespace std::string_literals;

constexpr char kHan8[] =
    "\xD5\xC5\xC8\xFD\xC0\xEE\xCB\xC4\xCD\xF5\xCE\xE5\xD5\xD4\xC1\xF9";  // 8 characters

RegistrationForm Valid() {
    return {"player01",           "Nick01", "secret7x", "secret7x", "\xD5\xC5\xC8\xFD",
            "440301199003071230", "12",     "AB3d",     "AB3d"};
}

// The problem CheckRegistration finds, or the account, nickname, legal name and spreader recorded.
std::string Recorded(const RegistrationForm& form) {
    const RegistrationVerdict verdict = CheckRegistration(form);
    if (!verdict.problem.empty()) return verdict.problem;
    const RegistrationData& data = verdict.data;
    return data.account + "|" + data.nickName + "|" + data.userName + "|" + data.spreader;
}

// '+' when CheckIdCardNumber accepts the number, else which message it gives: (E)mpty, (F)ormat
// or (I)nvalid.
char IdCardVerdict(const std::string& number) {
    char text[128] = "stale";
    if (CheckIdCardNumber(number, text, sizeof text)) return '+';
    const std::string message = text;
    if (message == "身份证号码不能为空,请输入您正确的身份证号码！") return 'E';
    if (message == "身份证号码必须为 15 位或者 18 位数字！") return 'F';
    return message == "您输入的身份证号码不正确,请检查后重新输入！" ? 'I' : '?';
}

std::function<unsigned()> Draws(std::vector<unsigned> values) {
    auto at = std::make_shared<std::size_t>(0);
    return [=] { return values.at((*at)++); };
}

bool StartsWithASurname(const std::string& nickname) {
    for (std::size_t i = 0; i < Surnames().size; ++i) {
        if (nickname.rfind(Surnames()[i], 0) == 0) return true;
    }
    return false;
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
        EXPECT_NE(Recorded(form).find(message), std::string::npos) << message;
    }
    // The record of an ordinary form is seen whole in the lobby line of the login window's Wine
    // tests. Here: the longest account (16 bytes), case making names differ, a legal name of 18
    // bytes cut between characters to its 15-byte field, and absent fields skipping their rules.
    RegistrationForm form = Valid();
    form.account = kHan8;
    form.nickname = "PLAYER01";
    form.legalName = std::string(kHan8) + "\xD5\xC5";
    EXPECT_EQ(Recorded(form), kHan8 + "|PLAYER01|"s + std::string(kHan8).substr(0, 14) + "|12");
    RegistrationForm bare;
    bare.account = "player01", bare.nickname = "Nick01", bare.password = "secret7x";
    EXPECT_EQ(Recorded(bare), "player01|Nick01||");
    // The live marks beside the fields.
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

    // Eighteen characters: a birth year from 1900 to 2100 and a check character ("X" in any case);
    // fifteen: no year and no check character. Both need a plausible month and day. Refused below:
    // 17 and 19 characters, a letter other than x, a full-width digit; a wrong check character, a
    // letter ending a number; years 1899 and 2101, months 13 and 00, days 32 and 00.
    std::string verdicts;
    for (const char* number :
         {"440301199003071230", "110101190001010014", "110101210012310018", "11010519491231002x",
          "110105491231002",    "11010549123100x",    "44030119900307123",  "4403011990030712300",
          "44030119900307123A", "440301199003000070", "440301199003071239", "44030119900307123X",
          "1101011990x1010010", "110101189901010010", "110101210101010010", "110101199013010010",
          "110101199000010010", "110101199001320010", "110101199001000010", "110105491331002",
          "110105490031002",    "110105491232002",    "110105491200002",    "44030119900307１2X"}) {
        verdicts += IdCardVerdict(number);
    }
    EXPECT_EQ(verdicts, "++++++FFFIIIIIIIIIIIIIIF");
    EXPECT_EQ(IdCardVerdict(""), 'E');
    std::string strengths;
    for (const char* password :
         {"",        "666666",  "1",       "123456",  "654321",   "121212", "1232101",
          "98",      "5820731", "666666a", "a123456", "12345A6",  "121213", "135790",
          "1234568", "!@#$%",   "12 34",   "玩家123", "58207312", "582073"}) {
        strengths += CheckPasswordStrength(password) ? '+' : '-';
    }
    EXPECT_EQ(strengths, "---------+++++++++++");
}

TEST(Nicknames, NameCheckMessagesAreLaidOutAsTheServerHasThemAndRandomNamesComeFromTheLists) {
    EXPECT_EQ(DecodeNameCheckRequest(EncodeNameCheckRequest("player01").data()), "player01");
    const auto longest = EncodeNameCheckRequest(std::string(40, 'n'));
    EXPECT_EQ(longest[31], 0);
    EXPECT_EQ(DecodeNameCheckRequest(longest.data()), std::string(31, 'n'));
    std::string hanzi;  // 66 of two bytes each
    for (int i = 0; i < 66; ++i) hanzi += "名";
    // Byte 30 starts a character that 31 bytes would cut.
    const std::string wide = "nn" + hanzi.substr(0, 32);
    EXPECT_EQ(DecodeNameCheckRequest(EncodeNameCheckRequest(wide).data()), wide.substr(0, 30));

    auto body = EncodeNameCheckReply({2, true, "该昵称可以使用"});
    EXPECT_EQ(body[0], 2);
    EXPECT_EQ(body[4], 1);
    auto reply = DecodeNameCheckReply(body.data(), body.size());
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->kind, 2u);
    EXPECT_TRUE(reply->acceptable);
    EXPECT_EQ(reply->remark, "该昵称可以使用");
    EXPECT_FALSE(DecodeNameCheckReply(body.data(), 135).has_value());
    std::vector<std::uint8_t> longer(body.begin(), body.end());
    longer.push_back(0);
    EXPECT_FALSE(DecodeNameCheckReply(longer.data(), longer.size()).has_value());

    // Any non-zero result is acceptable, and a remark filling its field is read to its end.
    std::fill(body.begin() + 5, body.end(), 'r');
    body[4] = 7;
    reply = DecodeNameCheckReply(body.data(), body.size());
    EXPECT_TRUE(reply->acceptable);
    EXPECT_EQ(reply->remark, std::string(131, 'r'));
    // 65 hanzi and the lead byte of a 66th fill the field: the half character is dropped,
    // on reading as on writing.
    std::copy(hanzi.begin(), hanzi.begin() + kRemarkCapacity, body.begin() + 5);
    EXPECT_EQ(DecodeNameCheckReply(body.data(), body.size())->remark, hanzi.substr(0, 130));
    body = EncodeNameCheckReply({1, false, hanzi});
    EXPECT_EQ(DecodeNameCheckReply(body.data(), body.size())->remark, hanzi.substr(0, 130));

    // Forms 0 to 3 draw the given name first, then the surname; form 4 draws D, then C, then the
    // surname.
    EXPECT_EQ(NicknameFromDraws(0, Draws({2190 + 1, 496 + 2})),
              std::string(Surnames()[2]) + GivenNamesA()[1]);
    EXPECT_EQ(NicknameFromDraws(1, Draws({3, 0})), std::string(Surnames()[0]) + GivenNamesB()[3]);
    EXPECT_EQ(NicknameFromDraws(2, Draws({116 * 2 + 4, 495})),
              std::string(Surnames()[495]) + CharactersC()[4]);
    EXPECT_EQ(NicknameFromDraws(3, Draws({95, 7})), std::string(Surnames()[7]) + CharactersD()[95]);
    EXPECT_EQ(NicknameFromDraws(4, Draws({1, 2, 3})),
              std::string(Surnames()[3]) + CharactersC()[2] + CharactersD()[1]);
    // Two to five Chinese characters, a surname first, whatever the form and draws.
    std::vector<std::string> nicknames;
    for (unsigned form = 0; form < kNicknameForms; ++form) {
        for (unsigned draw : {0u, 1u, 95u, 115u, 495u, 2189u, 4062u, 4294967295u}) {
            nicknames.push_back(NicknameFromDraws(form, [=] { return draw; }));
        }
    }
    unsigned next = 0;
    for (int i = 0; i < 300; ++i) {
        nicknames.push_back(MakeRandomNickname([&next] { return next += 7919; }));
    }
    for (const std::string& nickname : nicknames) {
        const int characters = testing::CountGbkHanzi(nickname.c_str());
        EXPECT_TRUE(characters >= 2 && characters <= 5) << nickname;
        EXPECT_TRUE(StartsWithASurname(nickname)) << nickname;
    }
}

}  // namespace
}  // namespace gatevane
