#pragma once
// One TCP connection of the update engine's HTTP client, driven by Winsock messages to a hidden
// window of the UI thread. It separates each response header (up to its blank line, in a
// 1024-byte buffer) from the body and reports to its ISocketSink.
//
//   closed --Connect--> looking up --address--> connecting --FD_CONNECT--> connected
//   (a dotted address skips the lookup)          any --Close / peer / error / watchdog--> closed
//
// Every close and every new request moves the request counter on; a header or data callback that
// sent a new request or closed the connection stops the delivery of the rest of its buffer.
//
// No wait is unbounded. Names are looked up asynchronously (WSAAsyncGetHostByName), so the UI
// thread never blocks on a name server. A watchdog ticks while a connection exists and ends it
//   - when looking up and connecting take longer than the connect limit,
//   - when a connected socket moves fewer bytes than the low-speed limit in a window of time, in
//     the manner of curl's --speed-limit/--speed-time (a server that trickles a byte now and then
//     is as dead as a silent one),
//   - when the owner's deadline for the whole request has passed.
// A connect that times out is reported as connected(WSAETIMEDOUT), a transfer as closed(4).

#include <windows.h>
#include <winsock2.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "base/winsock_win.h"
#include "launcher/update/download_sinks.h"

namespace gatevane {

class AsyncSocketWindow {
public:
    static constexpr UINT kSocketMessage = WM_USER + 100;
    static constexpr UINT kLookupMessage = WM_USER + 102;
    static constexpr std::size_t kHeaderCapacity = 1024;
    enum Result : int { kStarted = 0, kFailed = 2 };

    // The watchdog's limits, for every connection of the process.
    struct Limits {
        // Looking up and connecting: enough for a retransmitted connect to a slow but live server.
        DWORD connectMs = 30000;
        // A connected socket must move at least `lowSpeedBytes` in every `lowSpeedWindowMs`: 1 KiB
        // a second over 30 s, far below any line a player logs on with, far above a trickle.
        DWORD lowSpeedWindowMs = 30000;
        DWORD lowSpeedBytes = 30 * 1024;
    };
    // Tests shorten the limits.
    static void SetLimits(const Limits& limits);

    explicit AsyncSocketWindow(ISocketSink* sink) : sink_(sink) {}
    ~AsyncSocketWindow() { Close(kClosedByOwner); }
    AsyncSocketWindow(const AsyncSocketWindow&) = delete;
    AsyncSocketWindow& operator=(const AsyncSocketWindow&) = delete;

    // Starts connecting to `host` (a dotted address or a name) on `port`; kFailed when it could not
    // even start (then nothing is reported).
    int Connect(const char* host, std::uint16_t port);
    // Sends a new request; returns the length accepted, 0 when not connected.
    int Send(const char* bytes, std::uint16_t length);
    void Close(int reason);
    // The tick (GetTickCount64) after which the connection fails whatever its progress; 0 for
    // none. Kept across connections until changed.
    void SetDeadline(ULONGLONG tick) { deadline_ = tick; }

private:
    enum State { kClosed = 0, kConnecting = 1, kConnected = 2 };

    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    bool MakeWindow();
    bool StartConnect(unsigned long address, std::uint16_t port);
    void OnLookup(int error);
    void OnSocketEvent(WORD event, int error);
    void OnWatchdogTick();
    void TimeOut();
    // Reads what one read event brings; false when the connection ended or changed meanwhile.
    bool Receive();
    bool ReceiveHeader();
    void FlushPending();
    void ClearHeader();
    void CountTransfer(std::size_t bytes);
    void StartWatchdog();

    ISocketSink* sink_;
    UniqueWindow window_;
    UniqueSocket socket_;
    State state_ = kClosed;
    std::uint16_t requestCounter_ = 1;
    bool headerComplete_ = false;
    std::uint16_t headerLength_ = 0;
    char header_[kHeaderCapacity] = {};
    std::vector<char> pending_;
    // The name lookup under way, its result buffer and the port to connect to then.
    HANDLE lookup_ = nullptr;
    std::unique_ptr<char[]> lookupResult_;
    std::uint16_t lookupPort_ = 0;
    // The watchdog: when the current phase began, and the bytes moved in the current window.
    ULONGLONG phaseStart_ = 0;
    ULONGLONG windowStart_ = 0;
    std::uint64_t windowBytes_ = 0;
    ULONGLONG deadline_ = 0;
    std::vector<char> body_;
};

}  // namespace gatevane
