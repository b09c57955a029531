// NetworkService.dll's component against the logon server stand-in on loopback.
#include <gtest/gtest.h>
#include <winsock2.h>

#include <tuple>

#include "launcher/common/component_loader_win.h"
#include "launcher/register/name_check_messages.h"
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

class AsyncTcpSocketTest : public ::testing::Test {
protected:
    AsyncTcpSocketTest()
        : loader_(kTcpSocketInterfaceId, kNetworkServiceModule, kCreateTcpSocketFunction) {
        EXPECT_TRUE(loader_.CreateComponent()) << loader_.errorText();
        socket_ = loader_.Get<TcpSocketComponent>();
        EXPECT_TRUE(socket_->SetSink(&sink_));
    }

    // Pumps messages until the sink has seen `count` events of `kind` (at most `milliseconds`).
    bool WaitFor(SocketEvent::Kind kind, int count = 1, int milliseconds = 5000) {
        return PumpMessagesUntil(milliseconds, [&] { return sink_.Count(kind) >= count; });
    }

    void ConnectTo(const char* host) {
        ASSERT_EQ(socket_->Connect(host, kLogonServerPort), 0);
        ASSERT_TRUE(WaitFor(SocketEvent::kLink));
        ASSERT_EQ(sink_.events[0].code, 0);
    }

    // Sends a test-channel message with `sub` and waits for `events` further events.
    void Exchange(std::uint16_t sub, const std::string& body, int events) {
        const std::size_t before = sink_.events.size();
        ASSERT_TRUE(
            socket_->Send(kTestChannel, sub, body.data(), static_cast<std::uint16_t>(body.size())));
        PumpMessagesUntil(5000, [&] { return sink_.events.size() >= before + events; });
        PumpMessagesUntil(200, [] { return false; });  // nothing more should come
        ASSERT_EQ(sink_.events.size(), before + events);
    }

    ComponentLoader loader_;
    TcpSocketComponent* socket_ = nullptr;
    testing::RecordingSink sink_;
};

TEST_F(AsyncTcpSocketTest, ConnectsByAddressAndByName) {
    LogonServer server({"--listen", kServer, "--listen", "127.0.0.1"});
    ConnectTo(kServer);
    EXPECT_TRUE(PumpMessagesUntil(3000, [&] { return server.Count("accept conn=") == 1; }));

    sink_.events.clear();
    ConnectTo("localhost");  // closes the first connection, resolves, connects again
    EXPECT_TRUE(PumpMessagesUntil(3000, [&] { return server.Count("accept conn=") == 2; }));
}

TEST_F(AsyncTcpSocketTest, ARefusedConnectionIsALinkError) {
    ASSERT_EQ(socket_->Connect("127.0.0.21", kLogonServerPort), 0);
    ASSERT_TRUE(WaitFor(SocketEvent::kLink));
    EXPECT_EQ(sink_.events[0].code, WSAECONNREFUSED);
    EXPECT_FALSE(socket_->Send(kTestChannel, 1, "x", 1));
}

TEST_F(AsyncTcpSocketTest, HostsThatCannotBeReachedAreRefusedWithoutAnEvent) {
    for (const char* host : {"", "256.1.2.3", "1.2.3", "bad host", "-", ".example",
                             "a123456789b123456789c123456789d123456789e123456789f123456789g123"}) {
        EXPECT_NE(socket_->Connect(host, kLogonServerPort), 0) << host;
    }
    EXPECT_NE(socket_->Connect(nullptr, kLogonServerPort), 0);
    PumpMessagesUntil(300, [] { return false; });
    EXPECT_TRUE(sink_.events.empty());
}

TEST_F(AsyncTcpSocketTest, AServerThatNeverAnswersTimesOut) {
    LogonServer server({"--stall", std::string(kServer) + "=0"});
    const DWORD start = ::GetTickCount();
    ASSERT_EQ(socket_->Connect(kServer, kLogonServerPort), 0);
    ASSERT_TRUE(WaitFor(SocketEvent::kLink, 1, 15000));
    const DWORD waited = ::GetTickCount() - start;
    EXPECT_EQ(sink_.events[0].code, WSAETIMEDOUT);
    EXPECT_GE(waited, 9500u);
    EXPECT_LE(waited, 12000u);
}

TEST_F(AsyncTcpSocketTest, MessagesTravelBothWaysWhateverTheSegments) {
    LogonServer server({"--listen", kServer});
    ConnectTo(kServer);
    const std::string body = "0123456789abcdef";

    Exchange(1, body, 1);  // echoed in one piece
    EXPECT_EQ(sink_.events[1].kind, SocketEvent::kRead);
    EXPECT_EQ(sink_.events[1].command.mainCommand, kTestChannel);
    EXPECT_EQ(sink_.events[1].command.subCommand, 1);
    EXPECT_EQ(sink_.events[1].body, body);

    Exchange(2, body, 1);  // echoed one byte per segment
    EXPECT_EQ(sink_.events[2].body, body);

    Exchange(3, body, 3);  // echoed three times in one segment
    for (int i = 3; i < 6; ++i) EXPECT_EQ(sink_.events[i].body, body) << i;

    Exchange(1, "", 1);  // an empty body
    EXPECT_EQ(sink_.events[6].body, "");

    const std::string largest(kMaxFrameBody, 'L');
    Exchange(1, largest, 1);
    EXPECT_EQ(sink_.events[7].body, largest);
    EXPECT_FALSE(socket_->Send(kTestChannel, 1, largest.data(),
                               static_cast<std::uint16_t>(largest.size() + 1)));
}

TEST_F(AsyncTcpSocketTest, BadFramesFromTheServerEndTheConnection) {
    LogonServer server({"--listen", kServer});
    for (std::uint16_t sub : {4, 5}) {  // a wrong marker; a body over the limit
        sink_.events.clear();
        ConnectTo(kServer);
        Exchange(sub, "x", 1);
        EXPECT_EQ(sink_.events[1].kind, SocketEvent::kShut) << sub;
        EXPECT_EQ(sink_.events[1].code, kShutMalformedData) << sub;
        EXPECT_FALSE(socket_->Send(kTestChannel, 1, "x", 1));
    }
}

TEST_F(AsyncTcpSocketTest, TheServerClosingIsAShutAfterWhatItSent) {
    LogonServer server({"--listen", kServer});
    ConnectTo(kServer);
    Exchange(6, "x", 1);
    EXPECT_EQ(sink_.events[1].kind, SocketEvent::kShut);
    EXPECT_EQ(sink_.events[1].code, kShutByServer);

    sink_.events.clear();
    ConnectTo(kServer);
    Exchange(7, "last words", 2);
    EXPECT_EQ(sink_.events[1].body, "last words");
    EXPECT_EQ(sink_.events[2].kind, SocketEvent::kShut);
}

TEST_F(AsyncTcpSocketTest, ARefusedMessageEndsTheConnection) {
    LogonServer server({"--listen", kServer});
    ConnectTo(kServer);
    sink_.onEvent = [](const SocketEvent& event) { return event.kind != SocketEvent::kRead; };
    Exchange(3, "abc", 2);  // three frames arrive; the first is refused, the rest are dropped
    EXPECT_EQ(sink_.events[1].kind, SocketEvent::kRead);
    EXPECT_EQ(sink_.events[2].kind, SocketEvent::kShut);
    EXPECT_EQ(sink_.events[2].code, kShutReadRefused);
}

TEST_F(AsyncTcpSocketTest, TheSinkMayCloseOrDestroyTheComponentFromAnEvent) {
    LogonServer server({"--listen", kServer});
    ConnectTo(kServer);
    sink_.onEvent = [this](const SocketEvent&) {
        socket_->Close();
        return true;
    };
    Exchange(3, "abc", 1);  // closed at the first of three frames: no more events, no shut

    sink_.events.clear();
    sink_.onEvent = nullptr;
    ConnectTo(kServer);
    sink_.onEvent = [this](const SocketEvent&) {
        loader_.UnloadComponent();  // destroys the component inside its own event
        return true;
    };
    ASSERT_TRUE(socket_->Send(kTestChannel, 3, "abc", 3));
    PumpMessagesUntil(1000, [] { return false; });
    EXPECT_EQ(sink_.events.size(), 2u);
}

TEST_F(AsyncTcpSocketTest, ASinkThatDoesNotAnswerForTheSinkInterfaceIsRefused) {
    struct NotASink final : BaseInterface {
        void Destroy() override {}
        void* FindInterface(const InterfaceId&, std::uint32_t) override { return nullptr; }
    } notASink;
    EXPECT_FALSE(socket_->SetSink(&notASink));
    EXPECT_FALSE(socket_->SetSink(nullptr));
    EXPECT_TRUE(socket_->SetSink(&sink_));
}

TEST_F(AsyncTcpSocketTest, ANameCheckGetsTheServersAnswer) {
    LogonServer server({"--listen", kServer, "--taken", "taken=already in use"});
    ConnectTo(kServer);
    for (const auto& [name, acceptable, remark] :
         {std::tuple<const char*, bool, const char*>{"taken", false, "already in use"},
          {"free", true, ""}}) {
        const auto request = EncodeNameCheckRequest(name);
        sink_.events.clear();
        ASSERT_TRUE(socket_->Send(kNameCheckMainCommand, kAccountCheckSubCommand, request.data(),
                                  static_cast<std::uint16_t>(request.size())));
        ASSERT_TRUE(WaitFor(SocketEvent::kRead));
        const std::string& body = sink_.events[0].body;
        auto reply =
            DecodeNameCheckReply(reinterpret_cast<const std::uint8_t*>(body.data()), body.size());
        ASSERT_TRUE(reply.has_value());
        EXPECT_EQ(reply->kind, 1u);
        EXPECT_EQ(reply->acceptable, acceptable);
        EXPECT_EQ(reply->remark, remark);
    }
}

}  // namespace
}  // namespace gatevane
