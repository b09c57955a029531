#include "launcher/update/http_exchange.h"

#include <cstring>
#include <utility>

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
constexpr std::string_view kContentLengthField = "Content-Length";
constexpr std::string_view kContentRangeField = "Content-Range";
constexpr std::string_view kRangeUnit = "bytes ";
constexpr std::string_view kLocationField = "Location";
constexpr std::string_view kConnectionField = "Connection";
constexpr std::string_view kTransferEncodingField = "Transfer-Encoding";
constexpr std::string_view kHttp11 = "HTTP/1.1 ";

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

// Whether `line` begins with the field name `field` and its colon; names compare without case, as
// HTTP wants (front ends that speak HTTP/2 write them in lower case).
bool IsFieldLine(std::string_view line, std::string_view field) {
    return line.size() > field.size() && line[field.size()] == ':' &&
           EqualIgnoringCase(line.substr(0, field.size()), field);
}

// Calls `visit(value)` for every header line of field `field`, with the value: the rest of the line
// after the colon and any spaces or tabs, without its "\r\n". The status line is no field.
template <typename Visit>
void ForEachField(std::string_view header, std::string_view field, Visit visit) {
    std::string_view lines = HeaderPart(header);
    const std::size_t statusEnd = lines.find(kLineEnd);
    lines.remove_prefix(statusEnd == std::string_view::npos ? lines.size()
                                                            : statusEnd + kLineEnd.size());
    while (!lines.empty()) {
        const std::size_t end = lines.find(kLineEnd);
        const std::string_view line = lines.substr(0, end);
        if (IsFieldLine(line, field)) {
            std::string_view value = line.substr(field.size() + 1);
            while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
                value.remove_prefix(1);
            }
            visit(value);
        }
        if (end == std::string_view::npos) break;
        lines.remove_prefix(end + kLineEnd.size());
    }
}

// Whether the server keeps the connection open after this response: an HTTP/1.1 answer without
// "Connection: close", whose body has a known length (no transfer coding).
bool ConnectionStaysOpen(std::string_view header) {
    if (header.substr(0, kHttp11.size()) != kHttp11) return false;
    bool stays = true;
    ForEachField(header, kConnectionField, [&stays](std::string_view value) {
        if (LowerAnsiText(value).find("close") != std::string::npos) stays = false;
    });
    ForEachField(header, kTransferEncodingField, [&stays](std::string_view) { stays = false; });
    return stays;
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
    if (!EqualIgnoringCase(value.substr(0, kRangeUnit.size()), kRangeUnit)) return std::nullopt;
    value.remove_prefix(kRangeUnit.size());
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

ResponseAction Redirect(std::string_view header, int status, int redirectsSoFar,
                        std::string_view origin) {
    if (redirectsSoFar >= kMaxRedirects) return Failure(status, "too many redirects");
    std::optional<std::string> location = Location(header);
    if (!location) {
        return Failure(status, "redirect " + std::to_string(status) + " without a usable Location");
    }
    ResponseAction action;
    action.kind = ResponseAction::kRedirectNewUrl;
    action.status = status;
    const bool networkPath = location->compare(0, 2, "//") == 0;
    if (networkPath) {
        action.target = "http:" + *location;  // another host, same scheme
    } else if (location->front() != '/') {
        action.target = std::move(*location);
    } else {
        // A path on this server: asked on this connection when the server keeps it open and the
        // redirect's own body can be read off it first, else on a new one.
        const ContentLengthField length = ReadContentLength(header);
        if (ConnectionStaysOpen(header) && length.kind == ContentLengthField::kValid) {
            action.kind = ResponseAction::kRedirectSameConnection;
            action.target = std::move(*location);
            action.length = length.value;
        } else {
            action.target = std::string(origin) + *location;
        }
    }
    return action;
}

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

std::optional<std::string> Location(std::string_view header) {
    std::optional<std::string_view> found;
    ForEachField(header, kLocationField, [&found](std::string_view value) {
        if (!found) found = value;
    });
    if (!found) return std::nullopt;
    std::string_view target = *found;
    while (!target.empty() && (target.back() == ' ' || target.back() == '\t')) {
        target.remove_suffix(1);
    }
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

ResponseAction DecideResponse(std::string_view header, std::uint32_t resumeOffset,
                              int redirectsSoFar, std::string_view origin) {
    const int status = StatusCode(header);
    switch (status) {
        case 200:
            return WholeBody(header);
        case 206:
            return PartialBody(header, resumeOffset);
        case 301:
        case 302:
        case 303:
            return Redirect(header, status, redirectsSoFar, origin);
        case 416:
            return Failure(status, "HTTP status 416", resumeOffset != 0);
        case 0:
            return Failure(status, "no HTTP status");
        default:
            return Failure(status, "HTTP status " + std::to_string(status));
    }
}

}  // namespace gatevane
