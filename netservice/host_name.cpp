#include "netservice/host_name.h"

#include <algorithm>

namespace gatevane {
namespace {

constexpr std::size_t kMaxHostLength = 63;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsHostCharacter(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '_' ||
           c == '.';
}

}  // namespace

std::optional<std::uint32_t> ParseDottedAddress(std::string_view host) {
    std::uint32_t address = 0;
    int parts = 0;
    std::size_t at = 0;
    while (parts < 4) {
        std::size_t digits = 0;
        std::uint32_t part = 0;
        while (at < host.size() && IsDigit(host[at]) && digits < 4) {
            part = part * 10 + static_cast<std::uint32_t>(host[at++] - '0');
            ++digits;
        }
        if (digits == 0 || digits > 3 || part > 255) return std::nullopt;
        address = address << 8 | part;
        if (++parts < 4) {
            if (at >= host.size() || host[at] != '.') return std::nullopt;
            ++at;
        }
    }
    if (at != host.size()) return std::nullopt;
    return address;
}

bool IsHostName(std::string_view host) {
    if (host.empty() || host.size() > kMaxHostLength) return false;
    if (!std::all_of(host.begin(), host.end(), IsHostCharacter)) return false;
    for (std::size_t start = 0; start <= host.size();) {
        std::size_t end = std::min(host.find('.', start), host.size());
        std::string_view label = host.substr(start, end - start);
        if (label.empty() || label.front() == '-' || label.back() == '-') return false;
        start = end + 1;
    }
    return std::any_of(host.begin(), host.end(), [](char c) { return !IsDigit(c) && c != '.'; });
}

}  // namespace gatevane
