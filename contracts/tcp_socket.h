#pragma once
// The TCP socket component as the launcher uses it: NetworkService.dll's export CreateTCPSocket
// makes a TcpSocketComponent; its events go to a TcpSocketSink, always on the thread that created
// the component (the UI thread), while that thread pumps messages.

#include <cstdint>

#include "contracts/base_interface.h"
#include "contracts/tcp_command.h"

namespace gatevane {

// {C8A0B91A-CB6F-4749-A344-A7063211BF79}
constexpr InterfaceId kTcpSocketInterfaceId = {
    0xC8A0B91A, 0xCB6F, 0x4749, {0xA3, 0x44, 0xA7, 0x06, 0x32, 0x11, 0xBF, 0x79}};
// {231416E8-74B0-472D-9EC3-4A22E5210937}
constexpr InterfaceId kTcpSocketSinkInterfaceId = {
    0x231416E8, 0x74B0, 0x472D, {0x9E, 0xC3, 0x4A, 0x22, 0xE5, 0x21, 0x09, 0x37}};

constexpr char kNetworkServiceModule[] = "NetworkService.dll";
constexpr char kCreateTcpSocketFunction[] = "CreateTCPSocket";
constexpr std::uint16_t kLogonServerPort = 9005;
// The longest host name or dotted address Connect takes.
constexpr std::size_t kMaxHostLength = 63;

// Why a connection ended without the owner closing it.
enum ShutReason : std::uint8_t {
    kShutByServer = 0,       // the server closed the connection
    kShutNetworkError = 1,   // the connection broke
    kShutMalformedData = 2,  // the server sent something that is not a frame of ours
    kShutReadRefused = 3,    // the sink refused a message
};

class TcpSocketSink : public BaseInterface {
public:
    // The connection attempt ended: 0 connected, else the Winsock error (WSAETIMEDOUT when the
    // server did not answer in time).
    virtual bool OnEventTCPSocketLink(std::uint16_t socketId, int errorCode) = 0;
    // The connection ended by itself (never after the owner's own Close).
    virtual bool OnEventTCPSocketShut(std::uint16_t socketId, std::uint8_t reason) = 0;
    // A message arrived. False refuses it, which ends the connection.
    virtual bool OnEventTCPSocketRead(std::uint16_t socketId, TcpCommand command, const void* data,
                                      std::uint16_t size) = 0;

protected:
    ~TcpSocketSink() = default;
};

class TcpSocketComponent : public BaseInterface {
public:
    // Takes the sink's base face; true when it answers for TcpSocketSink.
    virtual bool SetSink(BaseInterface* sink) = 0;
    // Ends the connection or attempt, if any, without an event.
    virtual void Close() = 0;
    // Starts connecting (after closing any earlier connection); 0 when started, the outcome then
    // comes as OnEventTCPSocketLink. Otherwise a Winsock error and no event.
    virtual int Connect(const char* host, std::uint16_t port) = 0;
    // Sends one message on the open connection; false when there is none or `size` is too large.
    virtual bool Send(std::uint16_t mainCommand, std::uint16_t subCommand, const void* data,
                      std::uint16_t size) = 0;

protected:
    ~TcpSocketComponent() = default;
};

// The export of NetworkService.dll: a new component's face for `id` (kTcpSocketInterfaceId or
// kBaseInterfaceId), or null.
using CreateTcpSocketFunction = void* (*)(const InterfaceId& id, std::uint32_t version);

}  // namespace gatevane
