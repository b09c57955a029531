#pragma once
// The HTTP rules of the launcher's update client: the request it sends, how it reads the
// response header, what it does with the answer, and the addresses and names of the files it
// downloads. The socket side executes these decisions; everything it reads from the update server
// is treated as hostile, so every reader here has a bounded, documented answer for any bytes.
//
// The readers take the header as received: bytes after the first blank line ("\r\n\r\n") belong
// to the body and are never read as header lines.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace gatevane {

// --- The request -------------------------------------------------------------------------------

// The client formats its request into a buffer of this size, terminator included.
constexpr std::size_t kRequestBufferSize = 1024;

// The GET request for `path` (path and query, as the platform split the URL) on `host` (the host
// name alone, never a port). A `resumeOffset` other than 0 asks for the rest of the file from that
// byte on ("Range: bytes=N-"). The empty text when the request would not fit the request buffer
// (it is never cut), when path or host is empty, or when either holds a space or a control
// character, which would break the request line or inject header lines.
std::string BuildGetRequest(std::string_view path, std::string_view host,
                            std::uint32_t resumeOffset);

// `url` + "?x=" + `tick`, which keeps proxies from answering with a stale copy. "?x=" is appended
// even when the URL already has a query: the update server and its caches expect exactly that.
std::string WithCacheBuster(std::string_view url, std::uint64_t tick);

// --- The response header -----------------------------------------------------------------------

// The client receives the header into a buffer of this size; a header must end within it.
constexpr std::size_t kMaxResponseHeader = 1024;

// The position just after the first "\r\n\r\n" in `data`, or nothing.
std::optional<std::size_t> HeaderEnd(const char* data, std::size_t size);

enum class HeaderProgress {
    kIncomplete,  // no blank line yet and room left: keep receiving
    kComplete,    // the header ends within the first kMaxResponseHeader bytes
    kOverflow,    // kMaxResponseHeader bytes and no end: the request fails
};

// Where the receiving of a header stands after `size` bytes. Only the first kMaxResponseHeader
// bytes count, so a header may use the whole buffer, its blank line included.
HeaderProgress HeaderProgressOf(const char* data, std::size_t size);

// The status: the number after the first space, read from the digits that begin the text up to the
// next space. 0 when there is no space, no digit there, or a number above 999 (a status code has
// three digits; longer runs are no status at all, and are never read past the range of int).
int StatusCode(std::string_view header);

// Header fields are found by name at the start of a line, without regard to case, and their values
// after the colon and any spaces or tabs.

// The body length a header announces, from its "Content-Length" fields. The last such line wins. Its value must be decimal digits,
// optionally followed by spaces or tabs, and fit in 32 bits; anything else (a sign, other text,
// no digits, 4 GiB or more) makes the field malformed, even when an earlier line was sound: the
// length the server meant is unknown.
struct ContentLengthField {
    enum Kind { kAbsent, kValid, kMalformed };
    Kind kind = kAbsent;
    std::uint32_t value = 0;  // kValid only
};
ContentLengthField ReadContentLength(std::string_view header);

// A redirect target is at most this long (shorter than MAX_PATH).
constexpr std::size_t kMaxLocationLength = 259;

// The value of the first "Location" field (never of "Content-Location" or of a value that holds the
// word), trailing blanks dropped. Nothing when there is none, when it is empty or longer than
// kMaxLocationLength, or when it holds a control character (a bare "\n" or a zero byte would
// otherwise smuggle lines into the next request).
std::optional<std::string> Location(std::string_view header);

// "Content-Range: bytes FIRST-LAST/TOTAL" or ".../*".
struct ContentRange {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    std::optional<std::uint32_t> total;  // nothing for "*"
};

// The one Content-Range line of the header, or nothing when it is missing, repeated, malformed,
// out of 32-bit range, or inconsistent (LAST < FIRST, or LAST >= TOTAL).
std::optional<ContentRange> ReadContentRange(std::string_view header);

// --- The decision for a complete header --------------------------------------------------------

// Redirects followed in a row before the request fails.
constexpr int kMaxRedirects = 10;

struct ResponseAction {
    enum Kind {
        kBody,                    // read the body
        kRedirectSameConnection,  // read `length` body bytes off the connection, then send a new
                                  // request for `target` (a path) on it
        kRedirectNewUrl,          // close, and open `target` (a URL)
        kFail,                    // the request fails, for `reason`
    };
    Kind kind = kFail;
    int status = 0;
    // kBody: true to append to the partial file at the resume offset, false to write the file
    // from its start (a 200 answers a resumed request with the whole file).
    bool partial = false;
    // kBody: the body's length when `lengthKnown`; 0 otherwise. kRedirectSameConnection: the
    // length of the redirect's own body.
    std::uint32_t length = 0;
    bool lengthKnown = false;
    // Redirects: the path or URL to request next, still without the cache buster.
    std::string target;
    // kFail: what went wrong, for the log.
    std::string reason;
    // kFail: the partial file cannot be resumed (the server answered the range wrongly or not at
    // all); the caller deletes it and retries from byte 0 instead of failing the file for good.
    bool restartFromZero = false;
};

// What to do with a complete header, for a request to the server at `origin` ("http://host:port")
// that asked for the file from `resumeOffset` on (0: the whole file) after `redirectsSoFar`
// redirects.
//
// 200: the body, from the start of the file. A malformed Content-Length fails.
// 206: the body, appended, only when the request asked for a range (resumeOffset > 0) and the
//      answer covers exactly that range: a sound Content-Range starting at the offset and, when the
//      total is given, running to the file's last byte, and a Content-Length (if any) equal to the
//      range's size. Any other 206 fails with restartFromZero set: appending it would put bytes at
//      the wrong place in the file.
// 301, 302, 303: a redirect to the Location. A path ("/x") stays on this connection when the server
//      keeps it open (HTTP/1.1, no "Connection: close", no transfer coding) and announces the
//      length of the redirect's body, which is read off first; otherwise it is asked for at
//      `origin` on a new connection. A network path ("//host/x") is an http URL on another host.
//      No usable Location, or kMaxRedirects already followed, fails.
// 416, when resuming: fails with restartFromZero (the partial file is no prefix of the server's).
// Anything else fails with a reason naming the status.
ResponseAction DecideResponse(std::string_view header, std::uint32_t resumeOffset,
                              int redirectsSoFar, std::string_view origin);

}  // namespace gatevane
