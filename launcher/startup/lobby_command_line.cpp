#include "launcher/startup/lobby_command_line.h"

namespace gatevane {
namespace {

// The buffer the scrambled command line is written into, as the lobby host has always received it.
constexpr std::uint16_t kScrambledCapacity = 1024;

class SwitchWriter {
public:
    SwitchWriter& Add(std::string_view name, std::string_view value) {
        if (!line_.empty()) line_ += ' ';
        line_ += '/';
        line_ += name;
        line_ += ':';
        line_ += value;
        return *this;
    }
    SwitchWriter& Add(std::string_view name, int value) { return Add(name, std::to_string(value)); }
    std::string Take() { return std::move(line_); }

private:
    std::string line_;
};

std::string OpenIdLogonCommandLine(int type, int serverId, std::string_view openId) {
    return SwitchWriter().Add("Type", type).Add("ServerID", serverId).Add("OpenID", openId).Take();
}

}  // namespace

std::string AccountLogonCommandLine(int serverId, std::string_view account,
                                    std::string_view password, bool rememberPassword) {
    return SwitchWriter()
        .Add("Type", 1)
        .Add("ServerID", serverId)
        .Add("Account", account)
        .Add("PassWord", password)
        .Add("RemPassword", rememberPassword ? 1 : 0)
        .Take();
}

std::string QqLogonCommandLine(int serverId, std::string_view openId) {
    return OpenIdLogonCommandLine(2, serverId, openId);
}

std::string WeChatLogonCommandLine(int serverId, std::string_view openId) {
    return OpenIdLogonCommandLine(3, serverId, openId);
}

std::string RegistrationCommandLine(int serverId, const RegistrationData& data) {
    return SwitchWriter()
        .Add("Type", 4)
        .Add("ServerID", serverId)
        .Add("Account", data.account)
        .Add("NickName", data.nickName)
        .Add("PassWord", data.password)
        .Add("UserName", data.userName)
        .Add("UserCardID", data.userCardId)
        .Add("Spreader", data.spreader)
        .Take();
}

std::string PhoneRegistrationCommandLine(int serverId, std::string_view account,
                                         std::string_view password) {
    return SwitchWriter()
        .Add("Type", 5)
        .Add("ServerID", serverId)
        .Add("Account", account)
        .Add("PassWord", password)
        .Take();
}

std::string ScrambleLobbyCommandLine(std::string_view plain, const ScrambleByteSource& nextByte) {
    if (plain.empty() || plain.size() > kMaxScrambledTextLength) return {};
    char scrambled[kScrambledCapacity] = {};
    ScrambleText(plain, scrambled, kScrambledCapacity, nextByte);
    return scrambled;
}

}  // namespace gatevane
