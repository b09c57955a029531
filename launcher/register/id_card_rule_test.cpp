#include "launcher/register/id_card_rule.h"

#include <gtest/gtest.h>

#include <string>

namespace gatevane {
namespace {

constexpr const char* kEmpty = "身份证号码不能为空,请输入您正确的身份证号码！";
constexpr const char* kFormat = "身份证号码必须为 15 位或者 18 位数字！";
constexpr const char* kInvalid = "您输入的身份证号码不正确,请检查后重新输入！";

// The message CheckIdCardNumber gives, or "" when it accepts the number.
std::string Verdict(const std::string& number) {
    char message[128] = "stale";
    if (CheckIdCardNumber(number, message, sizeof message)) return "";
    return message;
}

TEST(CheckIdCardNumber, AcceptsValidNumbersOfBothLengths) {
    EXPECT_EQ(Verdict("440301199003071230"), "");
    EXPECT_EQ(Verdict("110101190001010014"), "");  // the earliest year
    EXPECT_EQ(Verdict("110101210012310018"), "");  // the latest year
    EXPECT_EQ(Verdict("110105491231002"), "");
}

TEST(CheckIdCardNumber, ACheckCharacterXMayBeLowerCase) {
    EXPECT_EQ(Verdict("11010519491231002X"), "");
    EXPECT_EQ(Verdict("11010519491231002x"), "");
    EXPECT_EQ(Verdict("440301199003000070"), kInvalid);  // "X" expected, "0" given
    EXPECT_EQ(Verdict("440301199003000071"), kInvalid);
    EXPECT_EQ(Verdict("440301199003071239"), kInvalid);
    EXPECT_EQ(Verdict("44030119900307123X"), kInvalid);
}

TEST(CheckIdCardNumber, RefusesEmptyAndMisshapenNumbers) {
    EXPECT_EQ(Verdict(""), kEmpty);
    EXPECT_EQ(Verdict("44030119900307123"), kFormat);    // 17 characters
    EXPECT_EQ(Verdict("4403011990030712300"), kFormat);  // 19 characters
    EXPECT_EQ(Verdict("44030119900307123A"), kFormat);   // a letter other than x
    EXPECT_EQ(Verdict("4403011990 307123X"), kFormat);
    EXPECT_EQ(Verdict("44030119900307１2X"), kFormat);  // a full-width digit
}

TEST(CheckIdCardNumber, RefusesImpossibleBirthDates) {
    for (const char* number : {"110101189901010010", "110101210101010010",  // years 1899, 2101
                               "110101199013010010", "110101199000010010",  // months 13, 00
                               "110101199001320010", "110101199001000010",  // days 32, 00
                               "110105491331002", "110105490031002",        // 15: month 13, 00
                               "110105491232002", "110105491200002",        // 15: day 32, 00
                               "1101011990x1010010"}) {  // a letter ends a number
        EXPECT_EQ(Verdict(number), kInvalid) << number;
    }
}

TEST(CheckIdCardNumber, FifteenCharactersHaveNoCheckCharacterAndNoYearTest) {
    EXPECT_EQ(Verdict("110105001231009"), "");
    EXPECT_EQ(Verdict("11010549123100x"), "");
}

TEST(CheckIdCardNumber, TheMessageIsCutToTheBufferOnACharacterBoundary) {
    char message[8];
    EXPECT_FALSE(CheckIdCardNumber("", message, sizeof message));
    EXPECT_STREQ(message, "身份证");
}

}  // namespace
}  // namespace gatevane
