#include "launcher/update/http_exchange.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace gatevane {
namespace {

// The request bytes, written out in full so that a change to any of them shows.
const std::string kUserAgentLine =
    "User-Agent:Mozilla/4.0 (compatible; MSIE 6.00; Windows NT 5.1)\r\n";
const std::string kRequestEnd =
    "Pragma: no-cache\r\nCache-Control: no-cache\r\nConnection:Keep-Alive\r\n\r\n";

std::string ExpectedRequest(const std::string& path, const std::string& host,
                            const std::string& range = "") {
    return "GET " + path + " HTTP/1.1\r\nHost:" + host + "\r\nAccept:*/*\r\n" + kUserAgentLine +
           range + kRequestEnd;
}

TEST(HttpRequest, IsExactlyTheLaunchersBytesWithARangeOnlyWhenResuming) {
    EXPECT_EQ(BuildGetRequest("/update/UpdateList.txt", "up.example.com", 0),
              "GET /update/UpdateList.txt HTTP/1.1\r\n"
              "Host:up.example.com\r\n"
              "Accept:*/*\r\n"
              "User-Agent:Mozilla/4.0 (compatible; MSIE 6.00; Windows NT 5.1)\r\n"
              "Pragma: no-cache\r\n"
              "Cache-Control: no-cache\r\n"
              "Connection:Keep-Alive\r\n"
              "\r\n");
    // The offset is unsigned: the largest one is not printed as a negative number.
    for (std::uint32_t offset : {1u, 4096u, 4294967295u}) {
        EXPECT_EQ(BuildGetRequest("/f", "h", offset),
                  ExpectedRequest("/f", "h", "Range: bytes=" + std::to_string(offset) + "-\r\n"));
    }
}

TEST(HttpRequest, PathKeepsItsQueryAndCacheBuster) {
    const std::string path = WithCacheBuster("/update/list.txt?v=2", 123456789012345ull);
    EXPECT_EQ(path, "/update/list.txt?v=2?x=123456789012345");
    EXPECT_EQ(BuildGetRequest(path, "up.example.com", 0), ExpectedRequest(path, "up.example.com"));
    EXPECT_EQ(WithCacheBuster("http://h/a", 0), "http://h/a?x=0");
    EXPECT_EQ(WithCacheBuster("", 18446744073709551615ull), "?x=18446744073709551615");
}

TEST(HttpRequest, RefusesARequestThatWouldNotFitItsBufferRatherThanCutIt) {
    const std::string host = "up.example.com";
    // The fixed part of the request around path and host.
    const std::size_t fixed = ExpectedRequest("", "").size();
    const std::size_t longestPath = kRequestBufferSize - 1 - fixed - host.size();
    const std::string fits = "/" + std::string(longestPath - 1, 'p');
    const std::string request = BuildGetRequest(fits, host, 0);
    EXPECT_EQ(request.size(), kRequestBufferSize - 1);
    EXPECT_EQ(request, ExpectedRequest(fits, host));
    EXPECT_EQ(BuildGetRequest(fits + "p", host, 0), "");
    EXPECT_EQ(BuildGetRequest("/a", host + std::string(longestPath, 'h'), 0), "");

    // The range line takes room as well: 13 + digits + 3 bytes.
    const std::string range = "Range: bytes=123-\r\n";
    const std::string shorter = fits.substr(0, fits.size() - range.size());
    EXPECT_EQ(BuildGetRequest(shorter, host, 123).size(), kRequestBufferSize - 1);
    EXPECT_EQ(BuildGetRequest(shorter + "p", host, 123), "");
    EXPECT_EQ(BuildGetRequest(shorter, host, 1234), "");
}

TEST(HttpRequest, RefusesPathsAndHostsThatWouldBreakTheRequestLines) {
    EXPECT_EQ(BuildGetRequest("", "h", 0), "");
    EXPECT_EQ(BuildGetRequest("/a", "", 0), "");
    EXPECT_EQ(BuildGetRequest("/a b", "h", 0), "");
    EXPECT_EQ(BuildGetRequest("/a\r\nX-Injected: 1", "h", 0), "");
    EXPECT_EQ(BuildGetRequest("/a", "h\nX: 1", 0), "");
    EXPECT_EQ(BuildGetRequest(std::string("/a\0b", 4), "h", 0), "");
    EXPECT_EQ(BuildGetRequest("/a\tb", "h", 0), "");
    // GBK names pass as they are: their bytes are no control characters.
    EXPECT_EQ(BuildGetRequest("/更新/列表.txt", "h", 0), ExpectedRequest("/更新/列表.txt", "h"));
}

const std::string kOkHeader =
    "HTTP/1.1 200 OK\r\nServer: Microsoft-IIS/6.0\r\nContent-Length: 5120\r\n"
    "Content-Type: text/plain\r\n\r\n";

TEST(ResponseHeader, HeaderEndIsJustAfterTheFirstBlankLine) {
    const std::string withBody = kOkHeader + "body\r\n\r\nmore";
    EXPECT_EQ(HeaderEnd(withBody.data(), withBody.size()), kOkHeader.size());
    EXPECT_EQ(HeaderEnd("\r\n\r\n", 4), 4u);
    EXPECT_EQ(HeaderEnd("HTTP/1.1 200 OK\r\n\r", 18), std::nullopt);
    EXPECT_EQ(HeaderEnd("a\n\n\r\n", 5), std::nullopt);
    EXPECT_EQ(HeaderEnd("", 0), std::nullopt);
    EXPECT_EQ(HeaderEnd(nullptr, 0), std::nullopt);
}

TEST(ResponseHeader, HeaderReceivedInPiecesCompletesOnlyWithItsLastByte) {
    // Every split point, the blank line's own bytes included: the progress depends only on the
    // bytes received so far.
    for (std::size_t received = 0; received <= kOkHeader.size(); ++received) {
        const HeaderProgress progress = HeaderProgressOf(kOkHeader.data(), received);
        if (received < kOkHeader.size()) {
            EXPECT_EQ(progress, HeaderProgress::kIncomplete) << received;
            EXPECT_EQ(HeaderEnd(kOkHeader.data(), received), std::nullopt) << received;
        } else {
            EXPECT_EQ(progress, HeaderProgress::kComplete);
        }
    }
}

TEST(ResponseHeader, HeaderMustEndWithinItsBuffer) {
    std::string filler = "HTTP/1.1 200 OK\r\n";
    while (filler.size() < kMaxResponseHeader) filler += "X-Pad: aaaaaaaa\r\n";
    filler.resize(kMaxResponseHeader);
    EXPECT_EQ(HeaderProgressOf(filler.data(), kMaxResponseHeader - 1), HeaderProgress::kIncomplete);
    EXPECT_EQ(HeaderProgressOf(filler.data(), kMaxResponseHeader), HeaderProgress::kOverflow);

    // A header using the whole buffer, blank line included, is complete.
    std::string exact = filler.substr(0, kMaxResponseHeader - 4) + "\r\n\r\n";
    EXPECT_EQ(HeaderProgressOf(exact.data(), exact.size()), HeaderProgress::kComplete);

    // A blank line that ends one byte past the buffer does not count, whatever follows it.
    std::string late = filler.substr(0, kMaxResponseHeader - 3) + "\r\n\r\nbody";
    EXPECT_EQ(HeaderProgressOf(late.data(), late.size()), HeaderProgress::kOverflow);
    EXPECT_EQ(HeaderProgressOf(late.data(), kMaxResponseHeader - 1), HeaderProgress::kIncomplete);
}

// The status is the number after the first space, digits up to the first other character; zero
// when there is none there or it is absurd.
TEST(ResponseHeader, StatusIsTheNumberAfterTheFirstSpace) {
    const std::pair<std::string, int> cases[] = {{"HTTP/1.1 206 Partial Content\r\n\r\n", 206},
                                                 {"HTTP/1.1 404 Not Found\r\n", 404},
                                                 {"HTTP/1.0 302\r\nLocation: /a\r\n\r\n", 302},
                                                 {"HTTP/1.1 200", 200},
                                                 {"HTTP/1.1 0200 OK", 200},
                                                 {"HTTP/1.1 20x OK", 20},
                                                 {"HTTP/1.1 999 Odd", 999},
                                                 {"HTTP/1.1  200 OK", 0},
                                                 {"HTTP/1.1\r\n\r\n", 0},
                                                 {"", 0},
                                                 {"HTTP/1.1 OK 200", 0},
                                                 {"HTTP/1.1 -200 OK", 0},
                                                 {"HTTP/1.1\r\n\r\nX 200", 0},
                                                 {"HTTP/1.1 99999999999 x", 0},
                                                 {"HTTP/1.1 1000 x", 0},
                                                 {"HTTP/1.1 " + std::string(5000, '9'), 0}};
    for (const auto& [header, status] : cases) EXPECT_EQ(StatusCode(header), status) << header;
}

// The field in any case and spacing, at the start of a header line; the last one wins, and a
// value that is not unsigned 32-bit digits is malformed (never an earlier line's value).
TEST(ResponseHeader, ContentLengthComesFromItsLastFieldInAnyCaseAndSpacing) {
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    const std::pair<std::string, std::optional<std::uint32_t>> lengths[] = {
        {kOkHeader, 5120u},
        {ok + "content-length: 5\r\n\r\n", 5u},
        {ok + "CONTENT-LENGTH:5\r\n\r\n", 5u},
        {ok + "Content-Length: \t 5\r\n\r\n", 5u},
        {ok + "Content-Length : 5\r\n\r\n", std::nullopt},
        {ok + "Content-LengthX5\r\n\r\n", std::nullopt},
        {ok + "X-Content-Length: 5\r\n\r\n", std::nullopt},
        {ok + "X: a\nContent-Length: 5\r\n\r\n", std::nullopt},  // a bare "\n" starts no line
        {ok + "\r\n", std::nullopt},
        {ok + "\r\nContent-Length: 5\r\n", std::nullopt},  // body
        {ok + "Content-Length: 7", 7u},  // the last line of a header without its blank line
        {ok + "Content-Length: 5\r\nContent-Length: 9\r\n\r\n", 9u},
        {ok + "Content-Length: 9\r\nContent-Length: 0\r\n\r\n", 0u},
        {ok + "Content-Length: 4294967295\r\n\r\n", 4294967295u},
        {ok + "Content-Length: 0012 \t\r\n\r\n", 12u}};
    for (const auto& [header, length] : lengths) EXPECT_EQ(ContentLength(header), length) << header;
    EXPECT_EQ(ReadContentLength(ok + "\r\n").kind, ContentLengthField::kAbsent);
    for (const char* value :
         {"x", "4294967296", "99999999999999999999999", "-1", "+5", "12abc", "1 2", "", "0x10"}) {
        const ContentLengthField field =
            ReadContentLength(ok + "Content-Length: 9\r\nContent-Length: " + value + "\r\n\r\n");
        EXPECT_EQ(field.kind, ContentLengthField::kMalformed) << value;
        EXPECT_EQ(field.value, 0u) << value;
    }
}

// The text of the field itself, at the start of a line, in any case, up to the next carriage
// return; refused when missing, empty, too long or holding control characters.
TEST(ResponseHeader, LocationIsTheTextUpToTheNextCarriageReturn) {
    const std::string found = "HTTP/1.1 302 Found\r\n";
    const std::string longest = "/" + std::string(258, 'a');
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {found + "Location: /update/v2/list.txt\r\n\r\n", "/update/v2/list.txt"},
        {found + "Location: http://cdn.example.com/u/a.png\r\n\r\n",
         "http://cdn.example.com/u/a.png"},
        {found + "Location: /a", "/a"},
        {found + "Content-Location: /b\r\nLocation: /a\r\n\r\n", "/a"},
        {found + "X-Note: Location: /b\r\nlocation:/a \r\n\r\n", "/a"},
        {found + "Location: " + longest + "\r\n\r\n", longest},
        {found + "Location: " + longest + "a\r\n\r\n", std::nullopt},
        {found + "\r\n", std::nullopt},
        {found + "Content-Location: /b\r\n\r\n", std::nullopt},
        {found + "Location: \r\n\r\n", std::nullopt},
        {found + "Location: /a\nX: b\r\n\r\n", std::nullopt},
        {found + std::string("Location: /a\0b\r\n\r\n", 18), std::nullopt},
        {found + "\r\nLocation: /in-the-body\r\n", std::nullopt}};
    for (const auto& [header, location] : cases) EXPECT_EQ(Location(header), location) << header;
}

const char kOrigin[] = "http://up.example.com:8080";

std::string PartialHeader(const std::string& range, const std::string& length = "") {
    std::string header = "HTTP/1.1 206 Partial Content\r\n";
    if (!range.empty()) header += "Content-Range: " + range + "\r\n";
    if (!length.empty()) header += "Content-Length: " + length + "\r\n";
    return header + "\r\n";
}

TEST(ResponseHeader, ContentRangeMustStartAtTheResumeOffset) {
    EXPECT_TRUE(RangeStartsAt(PartialHeader("bytes 4096-9999/10000"), 4096));
    EXPECT_TRUE(RangeStartsAt(PartialHeader("bytes 4096-9999/*"), 4096));
    EXPECT_TRUE(RangeStartsAt(PartialHeader("bytes 7-7/8"), 7));
    EXPECT_FALSE(RangeStartsAt(PartialHeader("bytes 0-9999/10000"), 4096));
    EXPECT_FALSE(RangeStartsAt(PartialHeader("bytes 4095-9999/10000"), 4096));
    EXPECT_FALSE(RangeStartsAt(PartialHeader(""), 4096));

    const std::optional<ContentRange> range = ReadContentRange(PartialHeader("bytes 10-19/*"));
    ASSERT_TRUE(range);
    EXPECT_EQ(range->first, 10u);
    EXPECT_EQ(range->last, 19u);
    EXPECT_EQ(range->total, std::nullopt);
    EXPECT_EQ(ReadContentRange(PartialHeader("bytes 10-19/20 "))->total, 20u);
}

TEST(ResponseHeader, MalformedOrContradictoryContentRangeIsNoRange) {
    for (const char* value :
         {"bytes 4096-", "bytes 4096-9999", "bytes 4096-9999/", "bytes -9999/10000",
          "bytes 4096 - 9999/10000", "bytes 4096-9999/10000x", "bytes 4096-4095/10000",
          "bytes 4096-10000/10000", "bytes 4096-9999/**", "bytes */10000", "bytes=4096-9999/10000",
          "items 4096-9999/10000", "bytes  4096-9999/10000", "bytes 4096-4294967296/*",
          "bytes 4294967296-4294967297/*", "bytes +4096-9999/10000"}) {
        EXPECT_FALSE(ReadContentRange(PartialHeader(value))) << value;
        EXPECT_FALSE(RangeStartsAt(PartialHeader(value), 4096)) << value;
    }
    EXPECT_TRUE(
        RangeStartsAt("HTTP/1.1 206 x\r\ncontent-range: bytes 4096-9999/10000\r\n\r\n", 4096))
        << "field names have no case";
    // Two ranges contradict each other even when one of them would do.
    for (const char* twice : {"Content-Range: bytes 0-9999/10000\r\n"
                              "Content-Range: bytes 4096-9999/10000\r\n",
                              "Content-Range: bytes 4096-9999/10000\r\n"
                              "Content-Range: bytes 4096-9999/10000\r\n"}) {
        EXPECT_FALSE(RangeStartsAt(std::string("HTTP/1.1 206 x\r\n") + twice + "\r\n", 4096));
    }
}

// What each answer makes of the body: its length, whether it extends the partial file, and for a
// failure whether that partial file must go.
TEST(DecideResponse, BodiesAndFailuresByStatus) {
    constexpr auto kBody = ResponseAction::kBody;
    constexpr auto kFail = ResponseAction::kFail;
    const struct {
        std::string header;
        std::uint32_t resumeOffset;
        ResponseAction::Kind kind;
        int status;
        bool partial;
        bool lengthKnown;
        std::uint32_t length;
        bool restartFromZero;
        std::string reason;
    } cases[] = {
        {kOkHeader, 0, kBody, 200, false, true, 5120, false, ""},
        // A resumed request answered with the whole file starts the file again.
        {kOkHeader, 4096, kBody, 200, false, true, 5120, false, ""},
        {"HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n", 0, kBody, 200, false, false, 0, false, ""},
        {"HTTP/1.1 200 OK\r\nContent-Length: 99999999999\r\n\r\n", 0, kFail, 200, false, false, 0,
         false, "200 with a malformed Content-Length"},
        {PartialHeader("bytes 4096-9999/10000", "5904"), 4096, kBody, 206, true, true, 5904, false,
         ""},
        // Without Content-Length the range gives the length.
        {PartialHeader("bytes 4096-9999/*"), 4096, kBody, 206, true, true, 5904, false, ""},
        {PartialHeader("bytes 1-4294967294/4294967295"), 1, kBody, 206, true, true, 4294967294u,
         false, ""},
        {"HTTP/1.1 404 Not Found\r\n\r\n", 0, kFail, 404, false, false, 0, false,
         "HTTP status 404"},
        {"HTTP/1.1 500 Internal Server Error\r\n\r\n", 4096, kFail, 500, false, false, 0, false,
         "HTTP status 500"},
        {"garbage\r\n\r\n", 0, kFail, 0, false, false, 0, false, "no HTTP status"},
        // A range the server cannot satisfy means the partial file is no prefix of its file.
        {"HTTP/1.1 416 Range Not Satisfiable\r\n\r\n", 4096, kFail, 416, false, false, 0, true,
         "HTTP status 416"},
        {"HTTP/1.1 416 x\r\n\r\n", 0, kFail, 416, false, false, 0, false, "HTTP status 416"},
    };
    for (const auto& c : cases) {
        const ResponseAction action = DecideResponse(c.header, c.resumeOffset, 0, kOrigin);
        SCOPED_TRACE(c.header);
        EXPECT_EQ(action.kind, c.kind);
        EXPECT_EQ(action.status, c.status);
        EXPECT_EQ(action.partial, c.partial);
        EXPECT_EQ(action.lengthKnown, c.lengthKnown);
        EXPECT_EQ(action.length, c.length);
        EXPECT_EQ(action.restartFromZero, c.restartFromZero);
        EXPECT_EQ(action.reason, c.reason);
    }
}

TEST(DecideResponse, PartialContentThatDoesNotFitTheResumeRestartsFromZero) {
    const struct {
        std::string header;
        const char* reasonPart;
    } cases[] = {
        {PartialHeader("bytes 0-9999/10000", "10000"), "does not start at the resume offset"},
        {PartialHeader("bytes 5000-9999/10000", "5000"), "does not start at the resume offset"},
        {PartialHeader(""), "Content-Range"},
        {PartialHeader("bytes 4096-9999"), "Content-Range"},
        {PartialHeader("bytes 4096-8999/10000", "4904"), "end of the file"},
        {PartialHeader("bytes 4096-9999/10000", "100"), "Content-Length"},
        {PartialHeader("bytes 4096-9999/10000", "lots"), "Content-Length"},
    };
    for (const auto& c : cases) {
        const ResponseAction action = DecideResponse(c.header, 4096, 0, kOrigin);
        EXPECT_EQ(action.kind, ResponseAction::kFail) << c.header;
        EXPECT_TRUE(action.restartFromZero) << c.header;
        EXPECT_NE(action.reason.find(c.reasonPart), std::string::npos) << action.reason;
    }

    // Unasked-for partial content is no file at all; there is nothing to restart.
    const ResponseAction unasked =
        DecideResponse(PartialHeader("bytes 0-9999/10000", "10000"), 0, 0, kOrigin);
    EXPECT_EQ(unasked.kind, ResponseAction::kFail);
    EXPECT_FALSE(unasked.restartFromZero);
}

TEST(DecideResponse, RedirectsStayOnTheConnectionOnlyWhenItsBodyCanBeReadOff) {
    for (int status : {301, 302, 303}) {
        const std::string head = "HTTP/1.1 " + std::to_string(status) + " Moved\r\n";
        ResponseAction action = DecideResponse(
            head + "Content-Length: 2000\r\nLocation: /u/v2/list.txt\r\n\r\n", 0, 0, kOrigin);
        EXPECT_EQ(action.kind, ResponseAction::kRedirectSameConnection) << status;
        EXPECT_EQ(action.status, status);
        EXPECT_EQ(action.target, "/u/v2/list.txt");
        EXPECT_EQ(action.length, 2000u) << "the redirect's own body is read off first";

        action = DecideResponse(head + "Location: http://cdn.example.com/u/list.txt\r\n\r\n", 0, 9,
                                kOrigin);
        EXPECT_EQ(action.kind, ResponseAction::kRedirectNewUrl) << status;
        EXPECT_EQ(action.target, "http://cdn.example.com/u/list.txt");

        action = DecideResponse(head + "\r\n", 0, 0, kOrigin);
        EXPECT_EQ(action.kind, ResponseAction::kFail) << status;
        EXPECT_NE(action.reason.find("Location"), std::string::npos);

        action = DecideResponse(head + "Location: /" + std::string(259, 'a') + "\r\n\r\n", 0, 0,
                                kOrigin);
        EXPECT_EQ(action.kind, ResponseAction::kFail) << status;
    }
    // A path the connection cannot carry on to is asked for again at the same server.
    for (const char* header :
         {"HTTP/1.1 302 Found\r\nLocation: /b\r\n\r\n",
          "HTTP/1.1 302 Found\r\nConnection: close\r\nContent-Length: 0\r\nLocation: /b\r\n\r\n",
          "HTTP/1.1 302 Found\r\nconnection: Keep-Alive, Close\r\nContent-Length: 0\r\nLocation: "
          "/b\r\n\r\n",
          "HTTP/1.0 302 Found\r\nContent-Length: 0\r\nLocation: /b\r\n\r\n",
          "HTTP/1.1 302 Found\r\nTransfer-Encoding: chunked\r\nLocation: /b\r\n\r\n"}) {
        const ResponseAction action = DecideResponse(header, 0, 0, kOrigin);
        EXPECT_EQ(action.kind, ResponseAction::kRedirectNewUrl) << header;
        EXPECT_EQ(action.target, "http://up.example.com:8080/b") << header;
    }
    // A network path names another host, never a path on this one.
    const ResponseAction other = DecideResponse(
        "HTTP/1.1 302 Found\r\nContent-Length: 0\r\nLocation: //cdn.example.com/x\r\n\r\n", 0, 0,
        kOrigin);
    EXPECT_EQ(other.kind, ResponseAction::kRedirectNewUrl);
    EXPECT_EQ(other.target, "http://cdn.example.com/x");
    // Other 3xx answers are no redirect the launcher follows.
    EXPECT_EQ(DecideResponse("HTTP/1.1 307 Temporary\r\nLocation: /a\r\n\r\n", 0, 0, kOrigin).kind,
              ResponseAction::kFail);
    EXPECT_EQ(DecideResponse("HTTP/1.1 304 Not Modified\r\n\r\n", 0, 0, kOrigin).kind,
              ResponseAction::kFail);
}

TEST(DecideResponse, TenRedirectsInARowAreTheLimit) {
    const std::string header =
        "HTTP/1.1 302 Found\r\nContent-Length: 0\r\nLocation: /again\r\n\r\n";
    EXPECT_EQ(DecideResponse(header, 0, kMaxRedirects - 1, kOrigin).kind,
              ResponseAction::kRedirectSameConnection);
    const ResponseAction action = DecideResponse(header, 0, kMaxRedirects, kOrigin);
    EXPECT_EQ(action.kind, ResponseAction::kFail);
    EXPECT_EQ(action.reason, "too many redirects");
    EXPECT_EQ(DecideResponse(header, 0, 1000, kOrigin).kind, ResponseAction::kFail);
    EXPECT_EQ(kMaxRedirects, 10);
}

}  // namespace
}  // namespace gatevane
