// NetworkService.dll: the TCP socket component of the launcher.
#include <cstdint>

#include "netservice/async_tcp_socket_win.h"

// Makes a component and hands out its face for `id`; null for an unknown identifier, a version
// this module was not built for, or when the component cannot be made. Never throws.
extern "C" __declspec(dllexport) void* CreateTCPSocket(const gatevane::InterfaceId& id,
                                                       std::uint32_t version) noexcept {
    using namespace gatevane;
    if (!InterfaceVersionAccepted(version) ||
        (id != kTcpSocketInterfaceId && id != kBaseInterfaceId)) {
        return nullptr;
    }
    try {
        AsyncTcpSocket* component = AsyncTcpSocket::Create();
        return component ? component->FindInterface(id, version) : nullptr;
    } catch (...) {
        return nullptr;
    }
}
