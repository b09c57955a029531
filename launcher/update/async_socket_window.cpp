#include "launcher/update/async_socket_window.h"

#include <cstring>

#include "launcher/update/http_exchange.h"

namespace gatevane {
namespace {

constexpr char kWindowClass[] = "GatevaneSocketWindow";
constexpr UINT_PTR kStallTimer = 1;
// Body bytes are read in chunks as large as a data callback can carry. Under Wine every receive
// and window message is a round trip to the server process, so the cost is per chunk: 4 KiB chunks
// gave 0.06x curl's throughput from nginx on loopback, 65535-byte chunks 0.51x.
constexpr std::size_t kBodyChunk = 65535;
DWORD stallLimit = 30000;

}  // namespace

void AsyncSocketWindow::SetStallLimit(DWORD milliseconds) {
    stallLimit = milliseconds;
}
DWORD AsyncSocketWindow::StallLimit() {
    return stallLimit;
}

bool AsyncSocketWindow::MakeWindow() {
    if (window_) return true;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWindowClass;
    if (!::RegisterClassA(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }
    window_ = ::CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                windowClass.hInstance, nullptr);
    if (window_) ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return window_ != nullptr;
}

void AsyncSocketWindow::ClearHeader() {
    headerComplete_ = false;
    headerLength_ = 0;
    std::memset(header_, 0, sizeof header_);
}

void AsyncSocketWindow::Touch() {
    ::SetTimer(window_, kStallTimer, stallLimit, nullptr);
}

int AsyncSocketWindow::Connect(const char* host, std::uint16_t port) {
    ClearHeader();
    unsigned long address = ::inet_addr(host);
    if (address == INADDR_NONE) {
        // An unresolvable name leaves INADDR_NONE: the connect fails and says so.
        if (const hostent* found = ::gethostbyname(host)) {
            if (found->h_addrtype == AF_INET && found->h_addr_list[0]) {
                std::memcpy(&address, found->h_addr_list[0], sizeof address);
            }
        }
    }
    socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket_ == INVALID_SOCKET || !MakeWindow()) {
        Close(kClosedByOwner);
        return kFailed;
    }
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = ::htons(port);
    target.sin_addr.s_addr = address;
    if (::WSAAsyncSelect(socket_, window_, kSocketMessage,
                         FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE) != 0 ||
        (::connect(socket_, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0 &&
         ::WSAGetLastError() != WSAEWOULDBLOCK)) {
        Close(kClosedByOwner);
        return kFailed;
    }
    state_ = kConnecting;
    Touch();
    return kStarted;
}

int AsyncSocketWindow::Send(const char* bytes, std::uint16_t length) {
    if (length == 0 || socket_ == INVALID_SOCKET || state_ != kConnected) return 0;
    ++requestCounter_;
    headerLength_ = 0;
    headerComplete_ = false;
    Touch();
    if (!pending_.empty()) {
        pending_.insert(pending_.end(), bytes, bytes + length);
        return length;
    }
    int sentSoFar = 0;
    while (sentSoFar < length) {
        int sent = ::send(socket_, bytes + sentSoFar, length - sentSoFar, 0);
        if (sent == SOCKET_ERROR) {
            if (::WSAGetLastError() != WSAEWOULDBLOCK) {
                Close(kClosedOnError);
                return 0;
            }
            pending_.assign(bytes + sentSoFar, bytes + length);  // FD_WRITE sends the rest
            break;
        }
        sentSoFar += sent;
    }
    return length;
}

void AsyncSocketWindow::FlushPending() {
    while (!pending_.empty()) {
        int sent = ::send(socket_, pending_.data(), static_cast<int>(pending_.size()), 0);
        if (sent == SOCKET_ERROR) {
            if (::WSAGetLastError() != WSAEWOULDBLOCK) Close(kClosedOnError);
            return;
        }
        pending_.erase(pending_.begin(), pending_.begin() + sent);
        Touch();
    }
}

void AsyncSocketWindow::Close(int reason) {
    if (window_) {
        ::DestroyWindow(window_);
        window_ = nullptr;
    }
    pending_.clear();
    ClearHeader();
    ++requestCounter_;
    state_ = kClosed;
    if (socket_ != INVALID_SOCKET) {
        ::closesocket(socket_);
        socket_ = INVALID_SOCKET;
        if (reason != kClosedByOwner) sink_->OnSocketClosed(reason);
    }
}

LRESULT CALLBACK AsyncSocketWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                                    LPARAM lParam) {
    auto* self = reinterpret_cast<AsyncSocketWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && self->window_ == window) {
        if (message == kSocketMessage && static_cast<SOCKET>(wParam) == self->socket_) {
            self->OnSocketEvent(WSAGETSELECTEVENT(lParam), WSAGETSELECTERROR(lParam));
            return 0;
        }
        if (message == WM_TIMER && wParam == kStallTimer) {
            self->OnStalled();
            return 0;
        }
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void AsyncSocketWindow::OnSocketEvent(WORD event, int error) {
    switch (event) {
        case FD_CONNECT:
            if (error == 0) {
                state_ = kConnected;
                Touch();
            } else {
                Close(kClosedByOwner);
            }
            sink_->OnSocketConnected(error);
            break;
        case FD_READ:
            Receive();
            break;
        case FD_WRITE:
            FlushPending();
            break;
        case FD_CLOSE:
            // What arrived before the server closed still counts.
            while (socket_ != INVALID_SOCKET && Receive()) {
            }
            if (socket_ != INVALID_SOCKET) Close(kClosedByPeer);
            break;
        default:
            break;
    }
}

void AsyncSocketWindow::OnStalled() {
    ::KillTimer(window_, kStallTimer);
    if (state_ == kConnecting) {
        Close(kClosedByOwner);
        sink_->OnSocketConnected(WSAETIMEDOUT);
    } else if (state_ == kConnected) {
        Close(kClosedOnError);
    }
}

bool AsyncSocketWindow::Receive() {
    if (!headerComplete_) return ReceiveHeader();
    char buffer[kBodyChunk];
    int received = ::recv(socket_, buffer, sizeof buffer, 0);
    if (received == SOCKET_ERROR) {
        if (::WSAGetLastError() != WSAEWOULDBLOCK) Close(kClosedOnError);
        return false;
    }
    if (received == 0) return false;
    Touch();
    const std::uint16_t request = requestCounter_;
    sink_->OnSocketData(buffer, static_cast<std::uint16_t>(received));
    return requestCounter_ == request;
}

bool AsyncSocketWindow::ReceiveHeader() {
    int received = ::recv(socket_, header_ + headerLength_,
                          static_cast<int>(kHeaderCapacity - headerLength_), 0);
    if (received == SOCKET_ERROR) {
        if (::WSAGetLastError() != WSAEWOULDBLOCK) Close(kClosedOnError);
        return false;
    }
    if (received == 0) return false;
    Touch();
    const std::size_t got = headerLength_ + static_cast<std::size_t>(received);
    std::optional<std::size_t> end = HeaderEnd(header_, got);
    if (!end) {
        headerLength_ = static_cast<std::uint16_t>(got);
        // A header that fills the buffer without its blank line would never end.
        if (got == kHeaderCapacity) Close(kClosedOnError);
        return socket_ != INVALID_SOCKET;
    }
    headerLength_ = static_cast<std::uint16_t>(*end);
    headerComplete_ = true;
    const std::uint16_t request = requestCounter_;
    sink_->OnSocketHeader(header_, headerLength_, StatusCode(std::string_view(header_, *end)));
    if (requestCounter_ != request) return false;  // a new request replaced this response
    if (got > *end) {
        char rest[kHeaderCapacity];
        std::memcpy(rest, header_ + *end, got - *end);
        sink_->OnSocketData(rest, static_cast<std::uint16_t>(got - *end));
    }
    return requestCounter_ == request;
}

}  // namespace gatevane
