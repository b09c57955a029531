// The update engine's HTTP client against the fault-injecting HTTP server on loopback.
#include "launcher/update/http_download_socket_win.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/winsock_win.h"
#include "tests/support/native_server.h"
#include "tests/support/test_folder.h"

namespace gatevane {
namespace {

constexpr char kServer[] = "127.0.0.30:8030";
constexpr char kBaseUrl[] = "http://127.0.0.30:8030";

class RecordingDownloadSink final : public IDownloadSink {
public:
    std::vector<int> phases;
    int failedCode = -1;
    std::uint32_t length = 0;
    std::string body;

    bool Ended() const { return failedCode >= 0 || (!phases.empty() && phases.back() == 2); }

    void Destroy() override {}
    void* FindInterface(const InterfaceId& id, std::uint32_t version) override {
        return AnswerInterface<IDownloadSink>(this, kDownloadSinkInterfaceId, id, version);
    }
    void OnDownloadFailed(int code) override { failedCode = code; }
    void OnDownloadState(int phase) override { phases.push_back(phase); }
    void OnDownloadData(const char* data, std::uint16_t n) override { body.append(data, n); }
    bool OnDownloadHeader(bool, std::uint32_t size, const char*) override {
        length = size;
        return true;
    }
};

// The launcher starts Winsock 1.1 at start-up; so does this test program, for all its cases.
const WinsockStartup winsock;

class HttpDownloadTest : public ::testing::Test {
protected:
    HttpDownloadTest() {
        for (int i = 0; i < 150000; ++i) content_ += static_cast<char>('a' + (i * 7 + i / 13) % 26);
        root_.Write("file.bin", content_);
        AsyncSocketWindow::SetLimits({1500, 1500, 2000});
    }
    ~HttpDownloadTest() override { AsyncSocketWindow::SetLimits({}); }

    // Downloads `path` from the server (or `path` when it is an address) into a fresh sink and
    // waits until the request has ended; a second download is refused while one runs.
    void Fetch(const std::string& path, std::uint32_t resumeOffset = 0, DWORD limitMs = 0) {
        const std::string url = path[0] == '/' ? kBaseUrl + path : path;
        sink_ = RecordingDownloadSink();
        EXPECT_TRUE(client_.Download(url.c_str(), &sink_, resumeOffset, limitMs)) << path;
        EXPECT_FALSE(client_.Download(url.c_str(), &sink_, 0)) << path << ": one at a time";
        EXPECT_TRUE(testing::PumpMessagesUntil(10000, [&] { return sink_.Ended(); })) << path;
    }

    testing::TestFolder root_;
    testing::HttpFaultServer server_{
        {"--listen", kServer, "--root", testing::UnixPath(root_.path())}};
    std::string content_;
    HttpDownloadSocket client_;
    RecordingDownloadSink sink_;
};

// Whole files and resumed ones come through the download manager's tests; an empty file ends with
// its header.
TEST_F(HttpDownloadTest, AnEmptyFileIsCompleteWithItsHeader) {
    root_.Write("empty.bin", "");
    const DWORD start = ::GetTickCount();
    Fetch("/plain/empty.bin");
    EXPECT_TRUE(sink_.phases == std::vector<int>({0, 1, 2}) && sink_.length == 0);
    EXPECT_TRUE(sink_.body.empty() && ::GetTickCount() - start < 1000u);
}

// A header split across segments, redirects relative (on the same connection unless the server
// closes it) and absolute (on a new one), with and without a body; ten in a row are the limit.
TEST_F(HttpDownloadTest, HeadersInPiecesAndRedirectsStillFetchTheFile) {
    const std::pair<const char*, int> cases[] = {
        {"/split/file.bin", 1},       {"/redirect/3/file.bin", 1},    {"/absredirect/file.bin", 2},
        {"/bigredirect/file.bin", 1}, {"/closeredirect/file.bin", 2},
    };
    for (const auto& [path, connections] : cases) {
        const int before = server_.Count("accept");
        Fetch(path);
        EXPECT_TRUE(sink_.body == content_ && server_.Count("accept") - before == connections)
            << path << server_.Log();
    }
    for (const char* loop : {"/loop/file.bin", "/absloop/file.bin"}) {
        Fetch(loop);
        EXPECT_EQ(sink_.failedCode, 0) << loop;
    }
    EXPECT_EQ(server_.Count("GET /loop/file.bin"), 11) << server_.Log();
}

// Code 0: the answer cannot complete, or the address is no plain http one; code 1: nothing listens
// (at an address, or at a name looked up without blocking).
TEST_F(HttpDownloadTest, RequestsThatCannotCompleteFailAtOnce) {
    for (const char* path :
         {"/nolength/file.bin", "/cut/file.bin", "/status/404/file.bin", "/status/500/file.bin",
          "/bigheader/file.bin", "http://127.0.0.30:8039/plain/file.bin",
          "http://localhost:8039/plain/file.bin"}) {
        const DWORD start = ::GetTickCount();
        Fetch(path);
        EXPECT_EQ(sink_.failedCode, path[0] == '/' ? 0 : 1) << path;
        EXPECT_LT(::GetTickCount() - start, 1000u) << path << ": not by the watchdog";
        EXPECT_LE(sink_.body.size(), content_.size()) << path;
    }
    Fetch("/badrange/file.bin", 5000);
    EXPECT_TRUE(sink_.failedCode == 0 && sink_.body.empty());
    EXPECT_TRUE(client_.restartFromZero()) << "a resume answered with the wrong range";
    for (const char* url : {"https://127.0.0.30/plain/file.bin",
                            "ftp://127.0.0.30:8030/plain/file.bin", "not a url"}) {
        sink_ = RecordingDownloadSink();
        EXPECT_TRUE(!client_.Download(url, &sink_, 0) && sink_.failedCode == 0) << url;
    }
}

TEST_F(HttpDownloadTest, AServerThatStopsTalkingIsGivenUpOn) {
    for (const char* path : {"/stall/file.bin", "/silent/file.bin", "/trickle/file.bin"}) {
        const DWORD start = ::GetTickCount();
        Fetch(path);
        const DWORD waited = ::GetTickCount() - start;
        EXPECT_TRUE(sink_.failedCode == 0 && waited >= 1400 && waited < 4000) << path << waited;
    }
    // A whole-request limit ends even a transfer that keeps the watchdog content.
    AsyncSocketWindow::SetLimits({1500, 60000, 1});
    const DWORD start = ::GetTickCount();
    Fetch("/trickle/file.bin", 0, 1000);
    EXPECT_TRUE(sink_.failedCode == 0 && ::GetTickCount() - start < 2500u);
}

}  // namespace
}  // namespace gatevane
