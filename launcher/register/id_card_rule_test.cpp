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

// Eighteen characters: a birth year from 1900 to 2100 and a check character ("X" in any case);
// fifteen: no year and no check character. Both need a plausible month and day.
TEST(CheckIdCardNumber, ByExample) {
    const std::pair<std::string, const char*> cases[] = {
        {"440301199003071230", ""},       {"110101190001010014", ""},  // the earliest year
        {"110101210012310018", ""},                                    // the latest year
        {"11010519491231002x", ""},       {"110105491231002", ""},
        {"11010549123100x", ""},          {"", kEmpty},
        {"44030119900307123", kFormat},    // 17 characters
        {"4403011990030712300", kFormat},  // 19 characters
        {"44030119900307123A", kFormat},   // a letter other than x
        {"44030119900307１2X", kFormat},   // a full-width digit
        {"440301199003000070", kInvalid},  // "X" expected, "0" given
        {"440301199003071239", kInvalid}, {"44030119900307123X", kInvalid},
        {"1101011990x1010010", kInvalid},  // a letter ends a number
    };
    for (const auto& [number, verdict] : cases) EXPECT_EQ(Verdict(number), verdict) << number;
    for (const char* number : {"110101189901010010", "110101210101010010",  // years 1899, 2101
                               "110101199013010010", "110101199000010010",  // months 13, 00
                               "110101199001320010", "110101199001000010",  // days 32, 00
                               "110105491331002", "110105490031002",        // 15: month 13, 00
                               "110105491232002", "110105491200002"}) {     // 15: day 32, 00
        EXPECT_EQ(Verdict(number), kInvalid) << number;
    }
}

}  // namespace
}  // namespace gatevane
