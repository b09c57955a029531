#pragma once
// One TCP connection of the update engine's HTTP client, driven by Winsock messages (0x464) to a
// hidden window of the UI thread. It separates each response header (up to its blank line, in a
// 1024-byte buffer) from the body and reports to its ISocketSink.
//
//   closed --Connect--> connecting --FD_CONNECT--> connected --Close / peer / error--> closed
//
// Every close and every new request moves the request counter on; a header or data callback that
// sent a new request or closed the connection stops the delivery of the rest of its buffer.
// A watchdog ends a connection that makes no progress (no connect, no byte in or out) for the stall
// limit, so no wait of the update is unbounded.

#include <windows.h>
#include <winsock2.h>

#include <cstdint>
#include <vector>

#include "launcher/update/download_sinks.h"

namespace gatevane {

class AsyncSocketWindow {
public:
    static constexpr UINT kSocketMessage = WM_USER + 100;
    static constexpr std::size_t kHeaderCapacity = 1024;
    enum Result : int { kStarted = 0, kFailed = 2 };

    explicit AsyncSocketWindow(ISocketSink* sink) : sink_(sink) {}
    ~AsyncSocketWindow() { Close(kClosedByOwner); }
    AsyncSocketWindow(const AsyncSocketWindow&) = delete;
    AsyncSocketWindow& operator=(const AsyncSocketWindow&) = delete;

    // How long a connection may go without progress before it is ended: 30 s, enough for any
    // server that is alive; tests shorten it.
    static void SetStallLimit(DWORD milliseconds);
    static DWORD StallLimit();

    int Connect(const char* host, std::uint16_t port);
    // Sends a new request; returns the length accepted, 0 when not connected.
    int Send(const char* bytes, std::uint16_t length);
    void Close(int reason);

    std::uint16_t requestCounter() const { return requestCounter_; }

private:
    enum State { kClosed = 0, kConnecting = 1, kConnected = 2 };

    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    bool MakeWindow();
    void OnSocketEvent(WORD event, int error);
    void OnStalled();
    // Reads what one read event brings; false when the connection ended or changed meanwhile.
    bool Receive();
    bool ReceiveHeader();
    void FlushPending();
    void ClearHeader();
    void Touch();

    ISocketSink* sink_;
    HWND window_ = nullptr;
    SOCKET socket_ = INVALID_SOCKET;
    State state_ = kClosed;
    std::uint16_t requestCounter_ = 1;
    bool headerComplete_ = false;
    std::uint16_t headerLength_ = 0;
    char header_[kHeaderCapacity] = {};
    std::vector<char> pending_;
};

}  // namespace gatevane
