#pragma once

#include <windows.h>
#include <winsock2.h>

#include <cstdint>
#include <vector>

#include "base/winsock_win.h"
#include "contracts/tcp_socket.h"
#include "netservice/tcp_frame.h"

namespace gatevane {

// NetworkService.dll's TcpSocketComponent: one non-blocking connection driven by Winsock window
// messages (WSAAsyncSelect, WSAAsyncGetHostByName) to a hidden window of the creating thread, so
// every event reaches the sink on that thread and nothing needs a lock.
//
//   idle --Connect(name)--> resolving --address--> connecting --FD_CONNECT ok--> connected
//   idle --Connect(dotted address)-----------------> connecting
//   resolving/connecting --error or time limit--> idle   (link event with the error)
//   connected --server closes, error, bad frame, refused read--> idle   (shut event)
//   any --Close--> idle   (no event)
//
// Each attempt has its own socket message number, so messages still queued for an earlier attempt
// are told apart and dropped. The sink may Close, Connect again or Destroy the component from any
// event; destruction waits until the event has returned.
class AsyncTcpSocket final : public TcpSocketComponent {
public:
    // A connection attempt that has neither connected nor failed after this long is reported as
    // failed with WSAETIMEDOUT. Ten seconds covers the first two retransmissions of an unanswered
    // connection request (at about 3 and 9 seconds), so a slow but working line still connects,
    // and a dead line is known well before the platform's own limit of about 21 seconds.
    static constexpr UINT kConnectTimeLimitMs = 10000;

    // A new component whose events come to the calling thread; null when it cannot be made.
    static AsyncTcpSocket* Create();

    void Destroy() override;
    void* FindInterface(const InterfaceId& id, std::uint32_t version) override;
    bool SetSink(BaseInterface* sink) override;
    void Close() override;
    int Connect(const char* host, std::uint16_t port) override;
    bool Send(std::uint16_t mainCommand, std::uint16_t subCommand, const void* data,
              std::uint16_t size) override;

private:
    enum class State { kIdle, kResolving, kConnecting, kConnected };

    AsyncTcpSocket(WinsockStartup&& winsock, UniqueWindow&& window, std::uint16_t socketId);
    ~AsyncTcpSocket();

    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    void HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnSocketEvent(WORD event, int error);
    void OnResolved(int error);
    void OnConnected(int error);
    void OnTimeLimit();

    int StartConnect(std::uint32_t address);
    void ReadAvailable();
    void DeliverFrames();
    void Flush();
    void FailLink(int error);
    void EndConnection(std::uint8_t reason);
    void NextAttempt();

    WinsockStartup winsock_;
    UniqueWindow window_;
    const std::uint16_t socketId_;
    State state_ = State::kIdle;
    UniqueSocket socket_;
    HANDLE resolveTask_ = nullptr;
    std::uint16_t port_ = 0;
    UINT attemptMessage_;
    TcpSocketSink* sink_ = nullptr;
    FrameReader reader_;
    std::vector<std::uint8_t> outgoing_;
    int dispatchDepth_ = 0;
    bool destroyRequested_ = false;
    char resolved_[MAXGETHOSTSTRUCT];
};

}  // namespace gatevane
