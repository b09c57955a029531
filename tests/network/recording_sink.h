#pragma once
// A TcpSocketSink for tests: records every event, and lets a case act inside an event.

#include <functional>
#include <string>
#include <vector>

#include "contracts/tcp_socket.h"

namespace gatevane::testing {

struct SocketEvent {
    enum Kind { kLink, kShut, kRead } kind;
    int code;  // link: the error; shut: the reason
    TcpCommand command;
    std::string body;
};

class RecordingSink final : public TcpSocketSink {
public:
    std::vector<SocketEvent> events;
    // Called for each event after it is recorded; its result answers a read.
    std::function<bool(const SocketEvent&)> onEvent;

    void Destroy() override {}
    void* FindInterface(const InterfaceId& id, std::uint32_t version) override {
        return AnswerInterface<TcpSocketSink>(this, kTcpSocketSinkInterfaceId, id, version);
    }
    bool OnEventTCPSocketLink(std::uint16_t, int errorCode) override {
        return Record({SocketEvent::kLink, errorCode, {}, {}});
    }
    bool OnEventTCPSocketShut(std::uint16_t, std::uint8_t reason) override {
        return Record({SocketEvent::kShut, reason, {}, {}});
    }
    bool OnEventTCPSocketRead(std::uint16_t, TcpCommand command, const void* data,
                              std::uint16_t size) override {
        return Record(
            {SocketEvent::kRead, 0, command, std::string(static_cast<const char*>(data), size)});
    }

    int Count(SocketEvent::Kind kind) const {
        int count = 0;
        for (const SocketEvent& event : events) count += event.kind == kind;
        return count;
    }

private:
    bool Record(const SocketEvent& event) {
        events.push_back(event);
        return onEvent ? onEvent(events.back()) : true;
    }
};

}  // namespace gatevane::testing
