#include "launcher/update/update_files.h"

#include <cstring>

#include "launcher/common/ansi_text.h"
#include "launcher/update/entry_names.h"

namespace gatevane {
namespace {

constexpr std::string_view kHttpScheme = "http://";
constexpr unsigned long kMaxPort = 65535;

bool IsAsciiAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Unreserved and sub-delimiting characters, ':' and '@': what a path segment carries unescaped.
bool IsPathCharacter(char c) {
    return IsAsciiAlnum(c) || std::strchr("-._~!$&'()*+,;=:@", c) != nullptr;
}

bool IsPlainHost(std::string_view host) {
    if (host.empty() || host.front() == '.' || host.front() == '-') return false;
    for (char c : host) {
        if (!IsAsciiAlnum(c) && c != '-' && c != '.') return false;
    }
    return true;
}

bool IsPlainPort(std::string_view port) {
    if (port.empty() || port.size() > 5) return false;
    unsigned long value = 0;
    for (char c : port) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned long>(c - '0');
    }
    return value >= 1 && value <= kMaxPort;
}

bool IsPlainSegment(std::string_view segment) {
    if (segment == "." || segment == "..") return false;
    for (std::size_t at = 0; at < segment.size(); ++at) {
        if (segment[at] == '%') {
            if (at + 2 >= segment.size()) return false;
            if (!IsHexDigit(segment[at + 1]) || !IsHexDigit(segment[at + 2])) return false;
            at += 2;
        } else if (!IsPathCharacter(segment[at])) {
            return false;
        }
    }
    return true;
}

bool IsPlainPath(std::string_view path) {
    if (path.empty() || path.front() != '/') return false;
    path.remove_prefix(1);
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        if (!IsPlainSegment(path.substr(0, slash))) return false;
        if (slash == std::string_view::npos) break;
        path.remove_prefix(slash + 1);
    }
    return true;
}

void AppendEscapedByte(std::string& url, char c) {
    static const char kHex[] = "0123456789ABCDEF";
    const auto byte = static_cast<unsigned char>(c);
    url += '%';
    url += kHex[byte >> 4];
    url += kHex[byte & 0x0f];
}

// `name` with '/' turned into '\'; '/' is never a GBK trail byte.
std::string WindowsRelativePath(std::string_view name) {
    std::string path(name);
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

}  // namespace

bool IsPlainBaseAddress(std::string_view address) {
    if (address.substr(0, kHttpScheme.size()) != kHttpScheme) return false;
    address.remove_prefix(kHttpScheme.size());
    const std::size_t pathStart = address.find('/');
    if (pathStart == std::string_view::npos) return false;
    const std::string_view authority = address.substr(0, pathStart);
    const std::size_t colon = authority.find(':');
    if (!IsPlainHost(authority.substr(0, colon))) return false;
    if (colon != std::string_view::npos && !IsPlainPort(authority.substr(colon + 1))) return false;
    return IsPlainPath(address.substr(pathStart));
}

std::string FileUrl(std::string_view baseAddress, std::string_view entryName) {
    std::string url(baseAddress);
    if (url.empty() || url.back() != '/') url += '/';
    const std::string served = ServedEntryName(entryName);
    for (std::size_t at = 0; at < served.size(); ++at) {
        const char c = served[at];
        if (IsAnsiLeadByte(static_cast<unsigned char>(c)) && at + 1 < served.size()) {
            // Both bytes escaped: a trail byte that happens to be '\' is no separator.
            AppendEscapedByte(url, c);
            AppendEscapedByte(url, served[++at]);
        } else if (c == '\\' || c == '/') {
            url += '/';
        } else if (IsPathCharacter(c)) {
            url += c;
        } else {
            AppendEscapedByte(url, c);
        }
    }
    return url;
}

std::string DownloadPath(std::string_view programFolder, std::string_view entryName) {
    if (!IsSafeEntryName(entryName)) return std::string();
    std::string path(programFolder);
    path.append("\\").append(kDownloadFolderName).append("\\");
    return path + WindowsRelativePath(ServedEntryName(entryName));
}

std::string ReadyPath(std::string_view programFolder, std::string_view entryName) {
    if (!IsLauncherEntry(entryName)) return DownloadPath(programFolder, entryName);
    std::string path(programFolder);
    path.append("\\").append(kDownloadFolderName).append("\\").append(kLauncherFileName);
    return path;
}

std::string InstallPath(std::string_view programFolder, std::string_view entryName) {
    if (!IsSafeEntryName(entryName) || IsLauncherEntry(entryName)) return std::string();
    return std::string(programFolder) + "\\" + WindowsRelativePath(entryName);
}

std::string ParentFolder(std::string_view path) {
    std::size_t lastSeparator = std::string_view::npos;
    for (std::size_t at = 0; at < path.size(); ++at) {
        if (IsAnsiLeadByte(static_cast<unsigned char>(path[at]))) {
            ++at;
        } else if (path[at] == '\\') {
            lastSeparator = at;
        }
    }
    return lastSeparator == std::string_view::npos ? std::string()
                                                   : std::string(path.substr(0, lastSeparator));
}

}  // namespace gatevane
