#include "launcher/register/registration_form.h"

#include "launcher/common/ansi_text.h"
#include "launcher/register/id_card_rule.h"
#include "launcher/register/password_strength.h"

namespace gatevane {
namespace {

constexpr std::size_t kMinName = 4;
constexpr std::size_t kMaxName = 16;
constexpr std::size_t kMinPassword = 6;

// The record's field sizes, terminator included.
constexpr std::size_t kNameField = 32;
constexpr std::size_t kPasswordField = 33;
constexpr std::size_t kLegalNameField = 16;
constexpr std::size_t kIdCardField = 19;

std::string Cut(std::string_view text, std::size_t field) {
    std::string out(field, '\0');
    out.resize(CopyAnsiText(text, out.data(), field));
    return out;
}

bool HasNameLength(std::string_view name) {
    return name.size() >= kMinName && name.size() <= kMaxName;
}

}  // namespace

bool IsAcceptableName(std::string_view name, std::string_view other) {
    return HasNameLength(name) && name != other;
}

bool IsAcceptablePassword(std::string_view password) {
    return password.size() >= kMinPassword;
}

bool IsAcceptableConfirmation(std::string_view confirmation,
                              const std::optional<std::string>& password) {
    return IsAcceptablePassword(confirmation) && (!password || confirmation == *password);
}

RegistrationVerdict CheckRegistration(const RegistrationForm& form) {
    RegistrationVerdict verdict;
    RegistrationData& data = verdict.data;
    auto fail = [&verdict](const char* message) {
        verdict.problem = message;
        return verdict;
    };
    const std::string account = form.account.value_or("");
    const std::string nickname = form.nickname.value_or("");
    if (form.account && !HasNameLength(account)) {
        return fail("用户名的长度为 4~16 位字符，请重新输入游戏用户名！");
    }
    data.account = Cut(account, kNameField);
    if (form.nickname && !HasNameLength(nickname)) {
        return fail("昵称的长度为 4~16 位字符，请重新输入游戏昵称！");
    }
    data.nickName = Cut(nickname, kNameField);
    if (account == nickname) return fail("帐号和昵称不能一样，请修改后再尝试注册！");
    if (form.password) {
        const std::string& password = *form.password;
        if (!IsAcceptablePassword(password)) {
            return fail("游戏密码长度最短为 6 位字符，请重新输入游戏密码！");
        }
        if (form.confirmation && *form.confirmation != password) {
            return fail("游戏密码与确认密码不一致，请重新输入确认密码！");
        }
        if (nickname == password) return fail("密码和昵称不能一样，请修改后再尝试注册！");
        if (!CheckPasswordStrength(password)) return fail("密码过于简单，请修改后再尝试注册！");
        data.password = Cut(password, kPasswordField);
    }
    if (form.legalName) {
        if (form.legalName->empty()) return fail("真实姓名不能为空,请修改后再尝试注册！");
        data.userName = Cut(*form.legalName, kLegalNameField);
    }
    if (form.idCard) {
        char message[128] = {};
        if (!CheckIdCardNumber(*form.idCard, message, sizeof message)) return fail(message);
        data.userCardId = Cut(*form.idCard, kIdCardField);
    }
    if (form.spreader) data.spreader = Cut(*form.spreader, kNameField);
    if (form.codeShown && form.codeTyped && *form.codeShown != *form.codeTyped) {
        return fail("效验码效验验证失败，请重新输入！");
    }
    return verdict;
}

}  // namespace gatevane
