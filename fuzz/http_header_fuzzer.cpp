// Fuzzes the readers of the update server's response header and the decision taken on it: the
// header comes from the network and may be anything. Whatever the bytes, nothing is read out of
// bounds, and the answers keep the promises the socket side relies on.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "launcher/update/http_exchange.h"
#include "launcher/update/entry_names.h"
#include "launcher/update/update_files.h"

namespace {

void Check(bool holds) {
    if (!holds) __builtin_trap();
}

bool HasControl(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return true;
    }
    return false;
}

bool HasDoubleByte(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x81) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace gatevane;
    if (size < 4) return 0;
    // The first four bytes pick the request: a resume offset (0 half of the time, small or large
    // otherwise), the redirects followed so far, and whether the header is passed cut at its end.
    // The seed files carry these four bytes before a real header.
    std::uint32_t resumeOffset = 0;
    if (data[0] & 1) resumeOffset = (data[0] & 2) ? std::uint32_t(data[1]) : 0xffffff00u | data[1];
    const int redirectsSoFar = data[2] % 12;
    const bool cutAtHeaderEnd = data[3] & 1;
    const char* bytes = reinterpret_cast<const char*>(data + 4);
    const std::size_t length = size - 4;

    // Receiving: the progress agrees with HeaderEnd and the buffer's size.
    const std::optional<std::size_t> end = HeaderEnd(bytes, length);
    if (end) {
        Check(*end >= 4 && *end <= length);
        Check(std::memcmp(bytes + *end - 4, "\r\n\r\n", 4) == 0);
        Check(std::string_view(bytes, *end - 1).find("\r\n\r\n") == std::string_view::npos);
    }
    const HeaderProgress progress = HeaderProgressOf(bytes, length);
    Check((progress == HeaderProgress::kComplete) == (end && *end <= kMaxResponseHeader));
    if (progress == HeaderProgress::kIncomplete) Check(length < kMaxResponseHeader);
    if (progress == HeaderProgress::kOverflow) Check(length >= kMaxResponseHeader);

    // The readers, on the whole input or on the header as the socket side would pass it.
    std::string_view header(bytes, length);
    if (cutAtHeaderEnd && end) header = header.substr(0, *end);

    const int status = StatusCode(header);
    Check(status >= 0 && status <= 999);

    const ContentLengthField field = ReadContentLength(header);
    if (field.kind != ContentLengthField::kValid) Check(field.value == 0);

    const std::optional<std::string> location = Location(header);
    if (location) {
        Check(!location->empty() && location->size() <= kMaxLocationLength);
        Check(!HasControl(*location));
    }

    const std::optional<ContentRange> range = ReadContentRange(header);
    if (range) {
        Check(range->first <= range->last);
        if (range->total) Check(range->last < *range->total);
    }

    // The decision.
    const ResponseAction action = DecideResponse(header, resumeOffset, redirectsSoFar, "http://up.example.com");
    Check(action.status == status);
    switch (action.kind) {
        case ResponseAction::kBody:
            Check(status == 200 || status == 206);
            Check(action.partial == (status == 206));
            Check(action.reason.empty() && action.target.empty() && !action.restartFromZero);
            if (!action.lengthKnown) Check(action.length == 0 && status == 200);
            if (action.partial) {
                Check(resumeOffset > 0 && range && range->first == resumeOffset);
                Check(action.length == range->last - range->first + 1);
            }
            if (status == 200 && action.lengthKnown) {
                Check(field.kind == ContentLengthField::kValid && field.value == action.length);
            }
            break;
        case ResponseAction::kRedirectSameConnection:
        case ResponseAction::kRedirectNewUrl:
            Check(status == 301 || status == 302 || status == 303);
            Check(redirectsSoFar < kMaxRedirects);
            Check(location.has_value());
            if (action.kind == ResponseAction::kRedirectSameConnection) {
                Check(action.target == *location && action.target.front() == '/' &&
                      action.target.compare(0, 2, "//") != 0);
            } else {
                Check(action.target.front() != '/' && action.target.size() >= location->size());
            }
            Check(action.reason.empty());
            break;
        case ResponseAction::kFail:
            Check(!action.reason.empty() && action.target.empty());
            if (action.restartFromZero) Check(resumeOffset > 0 && (status == 206 || status == 416));
            break;
        default:
            Check(false);
    }

    // A same-connection redirect's next request is either refused or well formed.
    if (action.kind == ResponseAction::kRedirectSameConnection) {
        const std::string request =
            BuildGetRequest(WithCacheBuster(action.target, 1), "up.example.com", resumeOffset);
        Check(request.size() < kRequestBufferSize);
        if (!request.empty()) Check(request.find("\r\n\r\n") == request.size() - 4);
    }

    // The input as an entry name: names stay in their folders, addresses carry no raw bytes.
    if (IsSafeEntryName(header)) {
        const std::string url = FileUrl("http://h/f/", header);
        for (char c : url) Check(static_cast<unsigned char>(c) > 0x20 && c != 0x7f && c != '\\');
        Check(url.find('?') == std::string::npos && url.find('#') == std::string::npos);
        Check(DownloadPath("C:\\Hall", header).rfind("C:\\Hall\\UpdateDownLoad\\", 0) == 0);
    }
    const std::string installed = InstallPath("C:\\Hall", header);
    Check(installed.empty() == (!IsSafeEntryName(header) || IsLauncherEntry(header)));
    if (!installed.empty()) {
        Check(installed.find('/') == std::string::npos);
        // Byte-wise only without GBK characters, whose trail byte may be a backslash.
        if (!HasDoubleByte(installed))
            Check((installed + "\\").find("\\..\\") == std::string::npos);
    }
    return 0;
}
