#include "launcher/register/password_strength.h"

#include <cstdlib>

namespace gatevane {
namespace {

constexpr std::string_view kWeakPassword = "5820731";

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool CheckPasswordStrength(std::string_view password) {
    if (password.empty()) return false;
    bool onlyDigits = true;
    bool allEqual = true;
    bool allStepsOfOne = true;
    char previousDigit = 0;
    for (char c : password) {
        if (IsAsciiLetter(c)) return true;
        if (!IsDigit(c)) {
            onlyDigits = false;
            continue;
        }
        if (previousDigit != 0) {
            allEqual = allEqual && c == previousDigit;
            allStepsOfOne = allStepsOfOne && std::abs(c - previousDigit) == 1;
        }
        previousDigit = c;
    }
    if (!onlyDigits) return true;
    return !allEqual && !allStepsOfOne && password != kWeakPassword;
}

}  // namespace gatevane
