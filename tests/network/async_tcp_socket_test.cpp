// NetworkService.dll's component against the logon server stand-in on loopback.
#include <gtest/gtest.h>
#include <winsock2.h>

#include "launcher/common/component_loader_win.h"
#include "netservice/tcp_frame.h"
#include "tests/network/recording_sink.h"
#include "tests/support/native_server.h"

namespace gatevane {
namespace {

using testing::LogonServer;
using testing::PumpMessagesUntil;
using testing::SocketEvent;

constexpr char kServer[] = "127.0.0.20";
constexpr std::uint16_t kTestChannel = 9;  // the stand-in's own test commands

// An event as "kind code main/sub body" (kind: 0 link, 1 shut, 2 read).
std::string Summary(const SocketEvent& e) {
    return std::to_string(e.kind) + " " + std::to_string(e.code) + " " +
           std::to_string(e.command.mainCommand) + "/" + std::to_string(e.command.subCommand) +
           " " + e.body;
}

class AsyncTcpSocketTest : public ::testing::Test {
protected:
    AsyncTcpSocketTest()
        : loader_(kTcpSocketInterfaceId, kNetworkServiceModule, kCreateTcpSocketFunction) {
        EXPECT_TRUE(loader_.CreateComponent()) << loader_.errorText();
        socket_ = loader_.Get<TcpSocketComponent>();
        EXPECT_FALSE(socket_->SetSink(nullptr));
        EXPECT_FALSE(socket_->SetSink(&notASink_)) << "it has no sink interface";
        EXPECT_TRUE(socket_->SetSink(&sink_));
    }

    bool WaitFor(SocketEvent::Kind kind, int count = 1, int milliseconds = 5000) {
        return PumpMessagesUntil(milliseconds, [&] { return sink_.Count(kind) >= count; });
    }

    void ConnectTo(const char* host) {
        sink_.events.clear();
        sink_.onEvent = nullptr;
        ASSERT_EQ(socket_->Connect(host, kLogonServerPort), 0);
        ASSERT_TRUE(WaitFor(SocketEvent::kLink));
        ASSERT_EQ(sink_.events[0].code, 0);
    }

    // Sends a test-channel message with `sub`; exactly `events` further events come.
    void Exchange(std::uint16_t sub, const std::string& body, int events) {
        const std::size_t before = sink_.events.size();
        ASSERT_TRUE(
            socket_->Send(kTestChannel, sub, body.data(), static_cast<std::uint16_t>(body.size())));
        PumpMessagesUntil(5000, [&] { return sink_.events.size() >= before + events; });
        PumpMessagesUntil(200, [] { return false; });  // nothing more should come
        ASSERT_EQ(sink_.events.size(), before + events);
    }

    struct NotASink final : BaseInterface {
        void Destroy() override {}
        void* FindInterface(const InterfaceId&, std::uint32_t) override { return nullptr; }
    } notASink_;
    LogonServer server_{{"--listen", kServer, "--listen", "127.0.0.1"}};
    ComponentLoader loader_;
    TcpSocketComponent* socket_ = nullptr;
    testing::RecordingSink sink_;
};

// Which hosts count is the core's to decide (host_name): a refusal is told at once, without an
// event; a refused connection and a server that never answers (after ten seconds) by their error.
TEST_F(AsyncTcpSocketTest, ConnectionsThatCannotBeMade) {
    for (const char* host : {"", "256.1.2.3", "bad host", static_cast<const char*>(nullptr)})
        EXPECT_NE(socket_->Connect(host, kLogonServerPort), 0) << (host ? host : "null");
    PumpMessagesUntil(300, [] { return false; });
    EXPECT_TRUE(sink_.events.empty());

    ASSERT_EQ(socket_->Connect("127.0.0.21", kLogonServerPort), 0);
    ASSERT_TRUE(WaitFor(SocketEvent::kLink));
    EXPECT_EQ(Summary(sink_.events[0]), "0 " + std::to_string(WSAECONNREFUSED) + " 0/0 ");
    EXPECT_FALSE(socket_->Send(kTestChannel, 1, "x", 1));

    LogonServer stalled({"--stall", "127.0.0.22=0"});
    const DWORD start = ::GetTickCount();
    ASSERT_EQ(socket_->Connect("127.0.0.22", kLogonServerPort), 0);
    ASSERT_TRUE(WaitFor(SocketEvent::kLink, 2, 15000));
    const DWORD waited = ::GetTickCount() - start;
    EXPECT_EQ(sink_.events[1].code, WSAETIMEDOUT);
    EXPECT_TRUE(waited >= 9500 && waited <= 12000) << waited;
}

TEST_F(AsyncTcpSocketTest, MessagesTravelBothWaysWhateverTheSegments) {
    ConnectTo("localhost");  // looked up without blocking
    const std::string body = "0123456789abcdef";
    const std::string largest(kMaxFrameBody, 'L');
    // The stand-in echoes sub 1 in one piece, sub 2 one byte per segment, sub 3 three times in one.
    const struct {
        std::uint16_t sub;
        std::string body;
        int echoes;
    } cases[] = {{1, body, 1}, {2, body, 1}, {3, body, 3}, {1, "", 1}, {1, largest, 1}};
    for (const auto& c : cases) {
        const std::size_t before = sink_.events.size();
        Exchange(c.sub, c.body, c.echoes);
        for (std::size_t i = before; i < sink_.events.size(); ++i)
            EXPECT_TRUE(Summary(sink_.events[i]) == "2 0 9/" + std::to_string(c.sub) + " " + c.body)
                << c.sub;
    }
    EXPECT_FALSE(socket_->Send(kTestChannel, 1, largest.data(),
                               static_cast<std::uint16_t>(largest.size() + 1)));
}

// Bad frames from the server, the server closing (after what it sent) and a message the sink
// refuses (the frames after it dropped) each end the connection with their reason.
TEST_F(AsyncTcpSocketTest, EachEndOfAConnectionIsAShutWithItsReason) {
    const struct {
        std::uint16_t sub;  // 4: a wrong marker, 5: a body over the limit, 6: close, 7: say, close
        const char* body;
        bool refuse;
        int reads;
        int reason;
    } cases[] = {
        {4, "x", false, 0, kShutMalformedData}, {5, "x", false, 0, kShutMalformedData},
        {6, "x", false, 0, kShutByServer},      {7, "last words", false, 1, kShutByServer},
        {3, "abc", true, 1, kShutReadRefused},
    };
    for (const auto& c : cases) {
        ConnectTo(kServer);
        if (c.refuse)
            sink_.onEvent = [](const SocketEvent& e) { return e.kind != SocketEvent::kRead; };
        Exchange(c.sub, c.body, c.reads + 1);
        EXPECT_EQ(sink_.Count(SocketEvent::kRead), c.reads) << c.sub;
        EXPECT_EQ(Summary(sink_.events.back()), "1 " + std::to_string(c.reason) + " 0/0 ") << c.sub;
        EXPECT_FALSE(socket_->Send(kTestChannel, 1, "x", 1)) << c.sub;
    }
}

// Closed, or destroyed inside its own event, at the first of three frames: no more events, no shut.
TEST_F(AsyncTcpSocketTest, TheSinkMayCloseOrDestroyTheComponentFromAnEvent) {
    const std::function<void()> ends[] = {[this] { socket_->Close(); },
                                          [this] { loader_.UnloadComponent(); }};
    for (const auto& end : ends) {
        ConnectTo(kServer);
        sink_.onEvent = [&end](const SocketEvent&) {
            end();
            return true;
        };
        Exchange(3, "abc", 1);
    }
}

}  // namespace
}  // namespace gatevane
