#pragma once
// The registration form's rules: the live marks beside the fields while they are filled, and the
// submit rules in their order with their messages. Lengths are bytes of the GBK text (a Chinese
// character counts 2); comparisons are exact.

#include <optional>
#include <string>
#include <string_view>

#include "launcher/startup/lobby_command_line.h"

namespace gatevane {

// An account or nickname: 4 to 16 bytes, and not the other of the two.
bool IsAcceptableName(std::string_view name, std::string_view other);
// A password: at least 6 bytes.
bool IsAcceptablePassword(std::string_view password);
// The confirmation: an acceptable password equal to the password, when the form has one.
bool IsAcceptableConfirmation(std::string_view confirmation,
                              const std::optional<std::string>& password);

// The form's texts as typed; a field the skin lacks is absent, and its rules do not apply.
struct RegistrationForm {
    std::optional<std::string> account;
    std::optional<std::string> nickname;
    std::optional<std::string> password;
    std::optional<std::string> confirmation;
    std::optional<std::string> legalName;
    std::optional<std::string> idCard;
    std::optional<std::string> spreader;
    std::optional<std::string> codeShown;  // the picture code, with the typed one below
    std::optional<std::string> codeTyped;
};

struct RegistrationVerdict {
    std::string problem;    // the message of the first rule that fails; empty when all pass
    RegistrationData data;  // the fields, cut to the record's sizes on character boundaries
};

RegistrationVerdict CheckRegistration(const RegistrationForm& form);

}  // namespace gatevane
