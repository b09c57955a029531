#pragma once
// Winsock's owners: a socket, and the start-up that every WSAStartup caller pairs with WSACleanup.

#include <windows.h>
#include <winsock2.h>

#include "base/startup_guard.h"
#include "base/unique_handle_win.h"

namespace gatevane {

struct SocketTraits {
    using Type = SOCKET;
    static Type Empty() { return INVALID_SOCKET; }
    static void Close(Type socket) { ::closesocket(socket); }
};

using UniqueSocket = UniqueHandle<SocketTraits>;

struct WinsockTraits {
    static bool Start() {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(1, 1), &data) == 0;
    }
    static void Stop() { ::WSACleanup(); }
};

// Winsock 1.1 for the life of the guard.
using WinsockStartup = StartupGuard<WinsockTraits>;

}  // namespace gatevane
