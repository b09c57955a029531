#include "launcher/update/http_exchange.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace gatevane {
namespace {

using namespace std::string_literals;

// The request bytes, written out in full so that a change to any of them shows.
std::string ExpectedRequest(const std::string& path, const std::string& host,
                            const std::string& range = "") {
    return "GET " + path + " HTTP/1.1\r\nHost:" + host +
           "\r\nAccept:*/*\r\nUser-Agent:Mozilla/4.0 (compatible; MSIE 6.00; Windows NT 5.1)\r\n" +
           range + "Pragma: no-cache\r\nCache-Control: no-cache\r\nConnection:Keep-Alive\r\n\r\n";
}

TEST(HttpRequest, IsExactlyTheLaunchersBytesAndNeverCutToItsBuffer) {
    const std::string path = WithCacheBuster("/update/list.txt?v=2", 123456789012345ull);
    EXPECT_EQ(path, "/update/list.txt?v=2?x=123456789012345");
    EXPECT_EQ(WithCacheBuster("", 18446744073709551615ull), "?x=18446744073709551615");
    EXPECT_EQ(BuildGetRequest(path, "up.example.com", 0), ExpectedRequest(path, "up.example.com"));
    // The offset is unsigned: the largest one is not printed as a negative number.
    for (std::uint32_t offset : {1u, 4294967295u}) {
        EXPECT_EQ(BuildGetRequest("/f", "h", offset),
                  ExpectedRequest("/f", "h", "Range: bytes=" + std::to_string(offset) + "-\r\n"));
    }
    // GBK names pass as they are: their bytes are no control characters.
    EXPECT_EQ(BuildGetRequest("/更新/列表.txt", "h", 0), ExpectedRequest("/更新/列表.txt", "h"));
    // Nothing that would break the request line or inject a header line is sent.
    for (const std::string& bad : {""s, "/a b"s, "/a\r\nX-Injected: 1"s, "/a\tb"s, "/a\0b"s}) {
        EXPECT_EQ(BuildGetRequest(bad, "h", 0), "") << bad;
    }
    EXPECT_EQ(BuildGetRequest("/a", "", 0), "");
    EXPECT_EQ(BuildGetRequest("/a", "h\nX: 1", 0), "");
    const std::string host = "up.example.com";
    const std::size_t longestPath =
        kRequestBufferSize - 1 - ExpectedRequest("", "").size() - host.size();
    const std::string fits = "/" + std::string(longestPath - 1, 'p');
    EXPECT_EQ(BuildGetRequest(fits, host, 0), ExpectedRequest(fits, host));
    EXPECT_EQ(BuildGetRequest(fits + "p", host, 0), "");
    EXPECT_EQ(BuildGetRequest("/a", host + std::string(longestPath, 'h'), 0), "");
    // The range line takes room as well: 13 + digits + 3 bytes.
    const std::string shorter =
        fits.substr(0, fits.size() - std::string("Range: bytes=123-\r\n").size());
    EXPECT_EQ(BuildGetRequest(shorter, host, 123).size(), kRequestBufferSize - 1);
    EXPECT_EQ(BuildGetRequest(shorter + "p", host, 123), "");
    EXPECT_EQ(BuildGetRequest(shorter, host, 1234), "");
}

const std::string kOkHeader =
    "HTTP/1.1 200 OK\r\nServer: Microsoft-IIS/6.0\r\nContent-Length: 5120\r\n"
    "Content-Type: text/plain\r\n\r\n";

std::string PartialHeader(const std::string& range, const std::string& length = "") {
    std::string header = "HTTP/1.1 206 Partial Content\r\n";
    if (!range.empty()) header += "Content-Range: " + range + "\r\n";
    if (!length.empty()) header += "Content-Length: " + length + "\r\n";
    return header + "\r\n";
}

TEST(ResponseHeader, EndsAtItsFirstBlankLineAndHoldsStatusContentLengthLocationAndRange) {
    const std::string withBody = kOkHeader + "body\r\n\r\nmore";
    EXPECT_EQ(HeaderEnd(withBody.data(), withBody.size()), kOkHeader.size());
    EXPECT_EQ(HeaderEnd("a\n\n\r\n", 5), std::nullopt);
    EXPECT_EQ(HeaderEnd(nullptr, 0), std::nullopt);
    // Every split point, the blank line's own bytes included.
    for (std::size_t received = 0; received < kOkHeader.size(); ++received) {
        EXPECT_EQ(HeaderProgressOf(kOkHeader.data(), received), HeaderProgress::kIncomplete);
        EXPECT_EQ(HeaderEnd(kOkHeader.data(), received), std::nullopt) << received;
    }
    EXPECT_EQ(HeaderProgressOf(kOkHeader.data(), kOkHeader.size()), HeaderProgress::kComplete);

    std::string filler = "HTTP/1.1 200 OK\r\n";
    while (filler.size() < kMaxResponseHeader) filler += "X-Pad: aaaaaaaa\r\n";
    filler.resize(kMaxResponseHeader);
    EXPECT_EQ(HeaderProgressOf(filler.data(), kMaxResponseHeader - 1), HeaderProgress::kIncomplete);
    EXPECT_EQ(HeaderProgressOf(filler.data(), kMaxResponseHeader), HeaderProgress::kOverflow);
    // A header using the whole buffer, blank line included, is complete; one byte more is not.
    const std::string exact = filler.substr(0, kMaxResponseHeader - 4) + "\r\n\r\n";
    EXPECT_EQ(HeaderProgressOf(exact.data(), exact.size()), HeaderProgress::kComplete);
    const std::string late = filler.substr(0, kMaxResponseHeader - 3) + "\r\n\r\nbody";
    EXPECT_EQ(HeaderProgressOf(late.data(), late.size()), HeaderProgress::kOverflow);

    // The status is the number after the first space, digits up to the first other character; zero
    // when there is none there or it is absurd.
    std::string statuses;
    for (const std::string& header :
         {"HTTP/1.1 206 Partial Content\r\n\r\n"s, "HTTP/1.1 200"s, "HTTP/1.1 0200 OK"s,
          "HTTP/1.1 20x OK"s, "HTTP/1.1 999 Odd"s, "HTTP/1.1  200 OK"s, "HTTP/1.1\r\n\r\n"s,
          "HTTP/1.1 -200 OK"s, "HTTP/1.1\r\n\r\nX 200"s, "HTTP/1.1 1000 x"s,
          "HTTP/1.1 " + std::string(5000, '9')}) {
        statuses += std::to_string(StatusCode(header)) + " ";
    }
    EXPECT_EQ(statuses, "206 200 200 20 999 0 0 0 0 0 0 ");
    // The field in any case and spacing, at the start of a header line (a bare "\n" starts none,
    // and the body holds none), the last line of a header without its blank line included; the last
    // one wins, and a value that is not unsigned 32-bit digits is malformed (never an earlier
    // line's).
    const auto length = [](const std::string& fields) {
        const ContentLengthField field = ReadContentLength("HTTP/1.1 200 OK\r\n" + fields);
        return (field.kind == ContentLengthField::kValid ? std::to_string(field.value) : "-") + " ";
    };
    std::string lengths;
    for (const char* fields :
         {"CONTENT-LENGTH:5\r\n\r\n", "Content-Length: \t 5\r\n\r\n", "Content-Length : 5\r\n\r\n",
          "X-Content-Length: 5\r\n\r\n", "X: a\nContent-Length: 5\r\n\r\n",
          "\r\nContent-Length: 5\r\n", "Content-Length: 7",
          "Content-Length: 9\r\nContent-Length: 0\r\n\r\n", "Content-Length: 4294967295\r\n\r\n",
          "Content-Length: 0012 \t\r\n\r\n"}) {
        lengths += length(fields);
    }
    for (const char* value :
         {"x", "4294967296", "99999999999999999999999", "-1", "+5", "12abc", "1 2", "", "0x10"}) {
        lengths += length("Content-Length: 9\r\nContent-Length: "s + value + "\r\n\r\n");
    }
    EXPECT_EQ(lengths, "5 5 - - - - 7 0 4294967295 12 - - - - - - - - - ");
    // The text of the field itself, at the start of a line, in any case, up to the next carriage
    // return; refused when missing, empty, too long or holding control characters.
    const std::string longest = "/" + std::string(258, 'a');
    const auto location = [](const std::string& fields) {
        return Location("HTTP/1.1 302 Found\r\n" + fields).value_or("-") + " ";
    };
    EXPECT_EQ(location("Location: " + longest + "\r\n\r\n"), longest + " ");
    std::string locations;
    for (const std::string& fields :
         {"Location: http://cdn.example.com/u/a.png\r\n\r\n"s, "Location: /a"s,
          "Content-Location: /b\r\nLocation: /a\r\n\r\n"s,
          "X-Note: Location: /b\r\nlocation:/a \r\n\r\n"s, "Location: " + longest + "a\r\n\r\n",
          "Content-Location: /b\r\n\r\n"s, "Location: \r\n\r\n"s, "Location: /a\nX: b\r\n\r\n"s,
          "Location: /a\0b\r\n\r\n"s, "\r\nLocation: /in-the-body\r\n"s}) {
        locations += location(fields);
    }
    EXPECT_EQ(locations, "http://cdn.example.com/u/a.png /a /a /a - - - - - - ");
    const std::optional<ContentRange> range = ReadContentRange(PartialHeader("bytes 10-19/*"));
    ASSERT_TRUE(range);
    EXPECT_EQ(range->first, 10u);
    EXPECT_EQ(range->last, 19u);
    EXPECT_EQ(range->total, std::nullopt);
    EXPECT_EQ(ReadContentRange(PartialHeader("bytes 10-19/20 "))->total, 20u);
    EXPECT_EQ(ReadContentRange("HTTP/1.1 206 x\r\ncontent-range: bytes 7-7/8\r\n\r\n")->first, 7u);
    for (const char* value :
         {"", "bytes 4096-", "bytes 4096-9999", "bytes 4096-9999/", "bytes -9999/10000",
          "bytes 4096 - 9999/10000", "bytes 4096-9999/10000x", "bytes 4096-4095/10000",
          "bytes 4096-10000/10000", "bytes 4096-9999/**", "bytes */10000", "bytes=4096-9999/10000",
          "items 4096-9999/10000", "bytes  4096-9999/10000", "bytes 4096-4294967296/*",
          "bytes 4294967296-4294967297/*", "bytes +4096-9999/10000",
          // Two ranges contradict each other even when both agree.
          "bytes 4096-9999/10000\r\nContent-Range: bytes 4096-9999/10000"}) {
        EXPECT_FALSE(ReadContentRange(PartialHeader(value))) << value;
    }
}

// The decision in a few words: what is done with the body, or where to go, or why it fails.
std::string Summary(const ResponseAction& action) {
    const std::string status = std::to_string(action.status) + " ";
    switch (action.kind) {
        case ResponseAction::kBody:
            return status + (action.partial ? "append " : "write ") +
                   (action.lengthKnown ? std::to_string(action.length) : "?");
        case ResponseAction::kRedirectSameConnection:
            return status + "skip " + std::to_string(action.length) + ", get " + action.target;
        case ResponseAction::kRedirectNewUrl:
            return status + "open " + action.target;
        case ResponseAction::kFail:
            return status + (action.restartFromZero ? "restart: " : "fail: ") + action.reason;
    }
    return "?";
}

// What each answer makes of the body: its length, whether it extends the partial file, where a
// redirect leads, and for a failure whether that partial file must go.
TEST(DecideResponse, ByExample) {
    const std::string moved = "HTTP/1.1 302 Found\r\n";
    const std::string toB = "Location: /b\r\n\r\n";
    const struct {
        std::string header;
        const char* summary;
        std::uint32_t resumeOffset = 0;
        int redirectsSoFar = 0;
    } cases[] = {
        {kOkHeader, "200 write 5120"},
        // A resumed request answered with the whole file starts the file again.
        {kOkHeader, "200 write 5120", 4096},
        {"HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n", "200 write ?"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 99999999999\r\n\r\n",
         "200 fail: 200 with a malformed Content-Length"},
        {PartialHeader("bytes 4096-9999/10000", "5904"), "206 append 5904", 4096},
        // Without Content-Length the range gives the length.
        {PartialHeader("bytes 4096-9999/*"), "206 append 5904", 4096},
        {PartialHeader("bytes 1-4294967294/4294967295"), "206 append 4294967294", 1},
        // Unasked-for partial content is no file at all; there is nothing to restart.
        {PartialHeader("bytes 0-9999/10000", "10000"),
         "206 fail: 206 to a request without a range"},
        // Partial content that does not fit the resume would put bytes at the wrong place.
        {PartialHeader("bytes 0-9999/10000", "10000"),
         "206 restart: 206 range does not start at the resume offset", 4096},
        {PartialHeader("bytes 4096-9999"), "206 restart: 206 without a usable Content-Range", 4096},
        {PartialHeader("bytes 4096-8999/10000", "4904"),
         "206 restart: 206 range does not reach the end of the file", 4096},
        {PartialHeader("bytes 4096-9999/10000", "100"),
         "206 restart: 206 Content-Length does not match its range", 4096},
        {PartialHeader("bytes 4096-9999/10000", "lots"),
         "206 restart: 206 with a malformed Content-Length", 4096},
        {"HTTP/1.1 404 Not Found\r\n\r\n", "404 fail: HTTP status 404"},
        {"garbage\r\n\r\n", "0 fail: no HTTP status"},
        // A range the server cannot satisfy means the partial file is no prefix of its file.
        {"HTTP/1.1 416 Range Not Satisfiable\r\n\r\n", "416 restart: HTTP status 416", 4096},
        {"HTTP/1.1 416 x\r\n\r\n", "416 fail: HTTP status 416"},
        // A path stays on the connection only when the redirect's own body can be read off it.
        {"HTTP/1.1 301 Moved\r\nContent-Length: 2000\r\n" + toB, "301 skip 2000, get /b"},
        {"HTTP/1.1 303 x\r\nContent-Length: 0\r\n" + toB, "303 skip 0, get /b", 0,
         kMaxRedirects - 1},
        {moved + "Content-Length: 0\r\n" + toB, "302 fail: too many redirects", 0, kMaxRedirects},
        {moved + "Location: http://cdn.example.com/u/list.txt\r\n\r\n",
         "302 open http://cdn.example.com/u/list.txt", 0, 9},
        {moved + toB, "302 open http://up:81/b"},
        {moved + "Connection: close\r\nContent-Length: 0\r\n" + toB, "302 open http://up:81/b"},
        {moved + "connection: Keep-Alive, Close\r\nContent-Length: 0\r\n" + toB,
         "302 open http://up:81/b"},
        {"HTTP/1.0 302 Found\r\nContent-Length: 0\r\n" + toB, "302 open http://up:81/b"},
        {moved + "Transfer-Encoding: chunked\r\n" + toB, "302 open http://up:81/b"},
        // A network path names another host, never a path on this one.
        {moved + "Content-Length: 0\r\nLocation: //cdn.example.com/x\r\n\r\n",
         "302 open http://cdn.example.com/x"},
        {moved + "\r\n", "302 fail: redirect 302 without a usable Location"},
        // Other 3xx answers are no redirect the launcher follows.
        {"HTTP/1.1 307 Temporary\r\n" + toB, "307 fail: HTTP status 307"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(
            Summary(DecideResponse(c.header, c.resumeOffset, c.redirectsSoFar, "http://up:81")),
            c.summary)
            << c.header;
    }
}

}  // namespace
}  // namespace gatevane
