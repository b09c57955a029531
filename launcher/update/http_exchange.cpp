#include "launcher/update/http_exchange.h"

#include <cstring>
#include <utility>

#include "launcher/update/update_list.h"

#include "launcher/common/ansi_text.h"

namespace gatevane {
namespace {

constexpr std::string_view kRequestHead = "GET ";
constexpr std::string_view kRequestHostLine = " HTTP/1.1\r\nHost:";
constexpr std::string_view kRequestMiddle =
    "\r\nAccept:*/*\r\nUser-Agent:Mozilla/4.0 (compatible; MSIE 6.00; Windows NT 5.1)\r\n";
constexpr std::string_view kRangeHead = "Range: bytes=";
constexpr std::string_view kRangeTail = "-\r\n";
constexpr std::string_view kRequestTail =
    "Pragma: no-cache\r\nCache-Control: no-cache\r\nConnection:Keep-Alive\r\n\r\n";

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kBlankLine = "\r\n\r\n";
constexpr std::string_view kContentLengthField = "Content-Length: ";
constexpr std::string_view kContentRangeField = "Content-Range: bytes ";
constexpr std::string_view kLocationField = "Location: ";

constexpr int kMaxStatusCode = 999;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsControl(char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

bool HasSpaceOrControl(std::string_view text) {
    for (char c : text) {
        if (c == ' ' || IsControl(c)) return true;
    }
    return false;
}

// The header lines proper: the received bytes up to the first blank line, which ends the last
// line. Whatever follows is body.
std::string_view HeaderPart(std::string_view header) {
    const std::size_t blank = header.find(kBlankLine);
    return blank == std::string_view::npos ? header : header.substr(0, blank + kLineEnd.size());
}

// Calls `visit(rest)` for every line of the header that begins with `field`, with the rest of that
// line (without its "\r\n").
template <typename Visit>
void ForEachField(std::string_view header, std::string_view field, Visit visit) {
    std::string_view lines = HeaderPart(header);
    while (!lines.empty()) {
        const std::size_t end = lines.find(kLineEnd);
        const std::string_view line = lines.substr(0, end);
        if (line.substr(0, field.size()) == field) visit(line.substr(field.size()));
        if (end == std::string_view::npos) break;
        lines.remove_prefix(end + kLineEnd.size());
    }
}

// Reads a run of decimal digits from the front of `text`, which must hold at least one; nothing
// when there is none or the number does not fit in 32 bits.
std::optional<std::uint32_t> TakeDecimal(std::string_view& text) {
    std::uint64_t value = 0;
    std::size_t at = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        value = value * 10 + static_cast<std::uint64_t>(text[at] - '0');
        if (value > UINT32_MAX) return std::nullopt;
    }
    if (at == 0) return std::nullopt;
    text.remove_prefix(at);
    return static_cast<std::uint32_t>(value);
}

// Header values may carry trailing spaces or tabs; nothing else may follow a number.
bool OnlyTrailingBlanks(std::string_view text) {
    for (char c : text) {
        if (c != ' ' && c != '\t') return false;
    }
    return true;
}

std::optional<ContentRange> ParseRangeValue(std::string_view value) {
    ContentRange range;
    const std::optional<std::uint32_t> first = TakeDecimal(value);
    if (!first || value.empty() || value.front() != '-') return std::nullopt;
    value.remove_prefix(1);
    const std::optional<std::uint32_t> last = TakeDecimal(value);
    if (!last || value.empty() || value.front() != '/') return std::nullopt;
    value.remove_prefix(1);
    if (!value.empty() && value.front() == '*') {
        value.remove_prefix(1);
    } else {
        range.total = TakeDecimal(value);
        if (!range.total) return std::nullopt;
    }
    if (!OnlyTrailingBlanks(value)) return std::nullopt;
    range.first = *first;
    range.last = *last;
    if (range.last < range.first) return std::nullopt;
    if (range.total && range.last >= *range.total) return std::nullopt;
    return range;
}

ResponseAction Failure(int status, std::string reason, bool restartFromZero = false) {
    ResponseAction action;
    action.kind = ResponseAction::kFail;
    action.status = status;
    action.reason = std::move(reason);
    action.restartFromZero = restartFromZero;
    return action;
}

ResponseAction WholeBody(std::string_view header) {
    const ContentLengthField length = ReadContentLength(header);
    if (length.kind == ContentLengthField::kMalformed) {
        return Failure(200, "200 with a malformed Content-Length");
    }
    ResponseAction action;
    action.kind = ResponseAction::kBody;
    action.status = 200;
    action.lengthKnown = length.kind == ContentLengthField::kValid;
    action.length = length.value;
    return action;
}

ResponseAction PartialBody(std::string_view header, std::uint32_t resumeOffset) {
    // The caller asked for no range: there is no partial file to extend, and a 206 cannot be taken
    // for the whole file.
    if (resumeOffset == 0) return Failure(206, "206 to a request without a range");
    const std::optional<ContentRange> range = ReadContentRange(header);
    if (!range) return Failure(206, "206 without a usable Content-Range", true);
    if (range->first != resumeOffset) {
        return Failure(206, "206 range does not start at the resume offset", true);
    }
    // The request asked for everything from the offset on; a shorter piece would leave a hole.
    if (range->total && std::uint64_t(range->last) + 1 != *range->total) {
        return Failure(206, "206 range does not reach the end of the file", true);
    }
    const std::uint64_t span = std::uint64_t(range->last) - range->first + 1;
    const ContentLengthField length = ReadContentLength(header);
    if (length.kind == ContentLengthField::kMalformed) {
        return Failure(206, "206 with a malformed Content-Length", true);
    }
    if (length.kind == ContentLengthField::kValid && length.value != span) {
        return Failure(206, "206 Content-Length does not match its range", true);
    }
    ResponseAction action;
    action.kind = ResponseAction::kBody;
    action.status = 206;
    action.partial = true;
    action.lengthKnown = true;
    // first >= resumeOffset > 0, so the span is below 4 GiB.
    action.length = static_cast<std::uint32_t>(span);
    return action;
}

ResponseAction Redirect(std::string_view header, int status, int redirectsSoFar) {
    if (redirectsSoFar >= kMaxRedirects) return Failure(status, "too many redirects");
    std::optional<std::string> location = Location(header);
    if (!location) {
        return Failure(status, "redirect " + std::to_string(status) + " without a usable Location");
    }
    ResponseAction action;
    action.kind = location->front() == '/' ? ResponseAction::kRedirectSameConnection
                                           : ResponseAction::kRedirectNewUrl;
    action.status = status;
    action.target = std::move(*location);
    return action;
}

// Whether a GBK character of two bytes starts at `at`. Only a real trail byte (0x40..0xFE but 0x7F)
// is stepped over: a lead byte must not hide a control character or a separator from the checks.
bool DoubleByteAt(std::string_view text, std::size_t at) {
    if (!IsAnsiLeadByte(static_cast<unsigned char>(text[at])) || at + 1 >= text.size()) {
        return false;
    }
    const unsigned char trail = static_cast<unsigned char>(text[at + 1]);
    return trail >= 0x40 && trail <= 0xfe && trail != 0x7f;
}

// A name the download folder can hold as it is: Windows refuses these characters in file names and
// silently drops a trailing dot or space, which would store the file under another name.
bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (name.back() == '.' || name.back() == ' ') return false;
    for (std::size_t at = 0; at < name.size(); ++at) {
        const char c = name[at];
        if (DoubleByteAt(name, at)) {
            ++at;  // a trail byte may be '\\' or '|' without being one
            continue;
        }
        if (IsControl(c) || std::strchr("\\:*?\"<>|", c) != nullptr) return false;
    }
    return true;
}

std::string_view AfterLastSlash(std::string_view text) {
    const std::size_t slash = text.rfind('/');
    return slash == std::string_view::npos ? text : text.substr(slash + 1);
}

constexpr std::string_view kLauncherName = "Quarnel.exe";
constexpr std::string_view kLauncherServedName = "Quarnel.dll";

}  // namespace

std::string BuildGetRequest(std::string_view path, std::string_view host,
                            std::uint32_t resumeOffset) {
    if (path.empty() || host.empty() || HasSpaceOrControl(path) || HasSpaceOrControl(host)) {
        return std::string();
    }
    std::string request;
    request.reserve(kRequestBufferSize);
    request.append(kRequestHead).append(path).append(kRequestHostLine).append(host);
    request.append(kRequestMiddle);
    if (resumeOffset != 0) {
        request.append(kRangeHead).append(std::to_string(resumeOffset)).append(kRangeTail);
    }
    request.append(kRequestTail);
    // The terminator needs the buffer's last byte.
    if (request.size() > kRequestBufferSize - 1) return std::string();
    return request;
}

std::string WithCacheBuster(std::string_view url, std::uint64_t tick) {
    std::string out(url);
    out.append("?x=").append(std::to_string(tick));
    return out;
}

std::optional<std::size_t> HeaderEnd(const char* data, std::size_t size) {
    if (data == nullptr) return std::nullopt;
    const std::size_t at = std::string_view(data, size).find(kBlankLine);
    if (at == std::string_view::npos) return std::nullopt;
    return at + kBlankLine.size();
}

HeaderProgress HeaderProgressOf(const char* data, std::size_t size) {
    const std::size_t counted = size < kMaxResponseHeader ? size : kMaxResponseHeader;
    if (HeaderEnd(data, counted)) return HeaderProgress::kComplete;
    return size >= kMaxResponseHeader ? HeaderProgress::kOverflow : HeaderProgress::kIncomplete;
}

int StatusCode(std::string_view header) {
    header = HeaderPart(header);
    const std::size_t space = header.find(' ');
    if (space == std::string_view::npos) return 0;
    // The digits end at the next space at the latest, so "HTTP/1.1  200" has no status.
    const std::string_view token = header.substr(space + 1);
    int status = 0;
    std::size_t at = 0;
    for (; at < token.size() && IsDigit(token[at]); ++at) {
        status = status * 10 + (token[at] - '0');
        if (status > kMaxStatusCode) return 0;
    }
    return status;
}

ContentLengthField ReadContentLength(std::string_view header) {
    ContentLengthField field;
    ForEachField(header, kContentLengthField, [&field](std::string_view value) {
        const std::optional<std::uint32_t> length = TakeDecimal(value);
        if (length && OnlyTrailingBlanks(value)) {
            field.kind = ContentLengthField::kValid;
            field.value = *length;
        } else {
            field.kind = ContentLengthField::kMalformed;
            field.value = 0;
        }
    });
    return field;
}

std::optional<std::uint32_t> ContentLength(std::string_view header) {
    const ContentLengthField field = ReadContentLength(header);
    if (field.kind != ContentLengthField::kValid) return std::nullopt;
    return field.value;
}

std::optional<std::string> Location(std::string_view header) {
    header = HeaderPart(header);
    const std::size_t at = header.find(kLocationField);
    if (at == std::string_view::npos) return std::nullopt;
    std::string_view target = header.substr(at + kLocationField.size());
    target = target.substr(0, target.find('\r'));
    if (target.empty() || target.size() > kMaxLocationLength) return std::nullopt;
    for (char c : target) {
        if (IsControl(c)) return std::nullopt;
    }
    return std::string(target);
}

std::optional<ContentRange> ReadContentRange(std::string_view header) {
    int lines = 0;
    std::optional<ContentRange> range;
    ForEachField(header, kContentRangeField, [&](std::string_view value) {
        ++lines;
        range = ParseRangeValue(value);
    });
    // Two ranges in one answer contradict each other; neither can be trusted.
    if (lines != 1) return std::nullopt;
    return range;
}

bool RangeStartsAt(std::string_view header, std::uint32_t offset) {
    const std::optional<ContentRange> range = ReadContentRange(header);
    return range && range->first == offset;
}

ResponseAction DecideResponse(std::string_view header, std::uint32_t resumeOffset,
                              int redirectsSoFar) {
    const int status = StatusCode(header);
    switch (status) {
        case 200:
            return WholeBody(header);
        case 206:
            return PartialBody(header, resumeOffset);
        case 301:
        case 302:
        case 303:
            return Redirect(header, status, redirectsSoFar);
        case 416:
            return Failure(status, "HTTP status 416", resumeOffset != 0);
        case 0:
            return Failure(status, "no HTTP status");
        default:
            return Failure(status, "HTTP status " + std::to_string(status));
    }
}

std::string FileUrl(std::string_view baseAddress, std::string_view entryName) {
    std::string url(baseAddress);
    url.push_back('\\');
    url.append(entryName == kLauncherName ? kLauncherServedName : entryName);
    return url;
}

std::string LocalFileName(std::string_view requestPath) {
    const std::size_t query = requestPath.rfind('?');
    std::string_view name = AfterLastSlash(requestPath.substr(0, query));
    if (name == kLauncherServedName) name = kLauncherName;
    if (!IsPlainFileName(name)) return std::string();
    return std::string(name);
}

std::string PartialFileName(std::string_view fileUrl) {
    return std::string(AfterLastSlash(fileUrl));
}

std::string InstallPath(std::string_view programFolder, std::string_view entryName) {
    if (!IsSafeEntryName(entryName)) return std::string();
    std::string path(programFolder);
    path.push_back('\\');
    path.append(entryName);
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

}  // namespace gatevane
