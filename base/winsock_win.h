#pragma once
// Winsock's owners: a socket, and the start-up that every WSAStartup caller pairs with WSACleanup.

#include <windows.h>
#include <winsock2.h>

#include "base/unique_handle_win.h"

namespace gatevane {

struct SocketTraits {
    using Type = SOCKET;
    static Type Empty() { return INVALID_SOCKET; }
    static void Close(Type socket) { ::closesocket(socket); }
};

using UniqueSocket = UniqueHandle<SocketTraits>;

// Winsock 1.1 for the life of the object; ok() tells whether it started.
class WinsockStartup {
public:
    WinsockStartup() {
        WSADATA data;
        started_ = ::WSAStartup(MAKEWORD(1, 1), &data) == 0;
    }
    WinsockStartup(WinsockStartup&& other) noexcept
        : started_(std::exchange(other.started_, false)) {}
    WinsockStartup(const WinsockStartup&) = delete;
    WinsockStartup& operator=(const WinsockStartup&) = delete;
    WinsockStartup& operator=(WinsockStartup&&) = delete;
    ~WinsockStartup() {
        if (started_) ::WSACleanup();
    }

    bool ok() const { return started_; }

private:
    bool started_;
};

}  // namespace gatevane
