#pragma once
// The five command lines the launcher hands to the lobby host, and their scrambled form.
// A command line is switches "/Name:value" separated by single spaces; values go in as they are,
// without quoting, and numbers are decimal.

#include <string>
#include <string_view>

#include "launcher/update/scramble.h"

namespace gatevane {

// Type 1: account and password typed or remembered in the login window.
std::string AccountLogonCommandLine(int serverId, std::string_view account,
                                    std::string_view password, bool rememberPassword);
// Types 2 and 3: the OpenID handed over by the QQ or the WeChat logon page.
std::string QqLogonCommandLine(int serverId, std::string_view openId);
std::string WeChatLogonCommandLine(int serverId, std::string_view openId);

// Type 4: a new account from the registration form.
struct RegistrationData {
    std::string account;
    std::string nickName;
    std::string password;
    std::string userName;
    std::string userCardId;
    std::string spreader;
};
std::string RegistrationCommandLine(int serverId, const RegistrationData& data);

// Type 5: an account registered through the phone-registration page.
std::string PhoneRegistrationCommandLine(int serverId, std::string_view account,
                                         std::string_view password);

// What reaches the lobby: the scrambled command line, or the empty text when the plain line is
// longer than the 255 bytes a scrambled text can carry. The lobby is never started with a line cut
// short, and the hand-off ignores the empty text.
std::string ScrambleLobbyCommandLine(std::string_view plain,
                                     const ScrambleByteSource& nextByte = CrtScrambleByte);

}  // namespace gatevane
