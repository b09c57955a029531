#include "launcher/register/id_card_rule.h"

#include <algorithm>

#include "launcher/common/ansi_text.h"

namespace gatevane {
namespace {

constexpr const char* kEmptyMessage = "身份证号码不能为空,请输入您正确的身份证号码！";
constexpr const char* kFormatMessage = "身份证号码必须为 15 位或者 18 位数字！";
constexpr const char* kInvalidMessage = "您输入的身份证号码不正确,请检查后重新输入！";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsX(char c) {
    return c == 'x' || c == 'X';
}

// The decimal number at the start of `text`; a letter ends it.
int LeadingNumber(std::string_view text) {
    int value = 0;
    for (char c : text) {
        if (!IsDigit(c)) break;
        value = value * 10 + (c - '0');
    }
    return value;
}

// `first` counts from 1, as birth-date positions in an identity number are usually given.
int NumberAt(std::string_view number, std::size_t first, std::size_t length) {
    return LeadingNumber(number.substr(first - 1, length));
}

bool HasPlausibleBirthDate(std::string_view number) {
    int month, day;
    if (number.size() == 18) {
        int year = NumberAt(number, 7, 4);
        if (year < 1900 || year > 2100) return false;
        month = NumberAt(number, 11, 2);
        day = NumberAt(number, 13, 2);
    } else {
        month = NumberAt(number, 9, 2);
        day = NumberAt(number, 11, 2);
    }
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

char CheckCharacter(std::string_view first17) {
    static const int kWeights[17] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
    static const char kCheckCharacters[] = "10X98765432";
    int sum = 0;
    for (std::size_t i = 0; i < 17; ++i) {
        sum += (IsDigit(first17[i]) ? first17[i] - '0' : 0) * kWeights[i];
    }
    return kCheckCharacters[sum % 11];
}

bool Refuse(const char* text, char* message, std::size_t size) {
    CopyAnsiText(text, message, size);
    return false;
}

}  // namespace

bool CheckIdCardNumber(std::string_view number, char* message, std::size_t size) {
    if (number.empty()) return Refuse(kEmptyMessage, message, size);
    bool wellFormed =
        (number.size() == 15 || number.size() == 18) &&
        std::all_of(number.begin(), number.end(), [](char c) { return IsDigit(c) || IsX(c); });
    if (!wellFormed) return Refuse(kFormatMessage, message, size);
    if (!HasPlausibleBirthDate(number)) return Refuse(kInvalidMessage, message, size);
    if (number.size() == 18) {
        char expected = CheckCharacter(number);
        char last = number[17];
        if (last != expected && !(expected == 'X' && last == 'x')) {
            return Refuse(kInvalidMessage, message, size);
        }
    }
    return true;
}

}  // namespace gatevane
