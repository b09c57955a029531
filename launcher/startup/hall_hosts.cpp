#include "launcher/startup/hall_hosts.h"

#include <cctype>

namespace gatevane {

const HallHostKey kHallHostKeys[8] = {
    {"AdHost", &HallHosts::ad},           {"UpdateHost", &HallHosts::update},
    {"AccountHost", &HallHosts::account}, {"WebHost", &HallHosts::web},
    {"ShopHost", &HallHosts::shop},       {"PayHost", &HallHosts::pay},
    {"ForumHost", &HallHosts::forum},     {"WeChatHost", &HallHosts::weChat},
};

namespace {

constexpr std::size_t kMaxHostName = 63;

bool IsHostNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.';
}

bool IsPort(std::string_view digits) {
    if (digits.empty() || digits.size() > 5) return false;
    unsigned long port = 0;
    for (char c : digits) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        port = port * 10 + static_cast<unsigned long>(c - '0');
    }
    return port >= 1 && port <= 65535;
}

}  // namespace

bool IsUsableHost(std::string_view host) {
    const std::size_t colon = host.find(':');
    const std::string_view name = host.substr(0, colon);
    if (name.empty() || name.size() > kMaxHostName) return false;
    for (char c : name) {
        if (!IsHostNameChar(c)) return false;
    }
    return colon == std::string_view::npos || IsPort(host.substr(colon + 1));
}

std::string SiteAddress(std::string_view host, std::string_view path) {
    std::string address = "http://";
    address.append(host);
    address.append(path);
    return address;
}

}  // namespace gatevane
