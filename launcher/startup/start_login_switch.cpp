#include "launcher/startup/start_login_switch.h"

#include <climits>

namespace gatevane {
namespace {

constexpr std::string_view kStartLoginSwitch = "/StartLogin:";

// atoi's reading (optional sign, then digits up to the first other character), saturated instead of
// undefined when the digits run past the range of int.
int LeadingDecimal(std::string_view text) {
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    long long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value * 10 + (text[at] - '0');
        if (value > INT_MAX) return negative ? INT_MIN : INT_MAX;
    }
    return static_cast<int>(negative ? -value : value);
}

}  // namespace

int ParseStartLogin(std::string_view commandLine) {
    // A plain byte search for the space is multi-byte safe: no GBK trail byte is below 0x40.
    while (!commandLine.empty()) {
        std::size_t space = commandLine.find(' ');
        std::string_view token = commandLine.substr(0, space);
        if (token.substr(0, kStartLoginSwitch.size()) == kStartLoginSwitch) {
            return LeadingDecimal(token.substr(kStartLoginSwitch.size()));
        }
        if (space == std::string_view::npos) break;
        commandLine.remove_prefix(space + 1);
    }
    return 0;
}

bool UpdateCheckWanted(std::string_view commandLine) {
    return commandLine.empty() || ParseStartLogin(commandLine) != 1;
}

}  // namespace gatevane
