#include "launcher/update/async_socket_window_win.h"

#include <algorithm>
#include <cstring>

#include "launcher/update/http_exchange.h"

namespace gatevane {
namespace {

constexpr char kWindowClass[] = "GatevaneSocketWindow";
constexpr UINT_PTR kWatchdogTimer = 1;
constexpr DWORD kLongestTick = 1000;
// Under Wine every receive and window message is a round trip to the server process, so the cost
// is per receive, not per byte: body bytes are received in large pieces and handed on in pieces as
// large as a data callback carries (16-bit lengths).
constexpr std::size_t kDataPiece = 65535;
constexpr std::size_t kReceiveSize = 4 * kDataPiece;

AsyncSocketWindow::Limits limits;

ULONGLONG Now() {
    return ::GetTickCount64();
}

}  // namespace

void AsyncSocketWindow::SetLimits(const Limits& newLimits) {
    limits = newLimits;
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
    window_.reset(::CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    windowClass.hInstance, nullptr));
    if (window_)
        ::SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return static_cast<bool>(window_);
}

void AsyncSocketWindow::ClearHeader() {
    headerComplete_ = false;
    headerLength_ = 0;
    std::memset(header_, 0, sizeof header_);
}

void AsyncSocketWindow::StartWatchdog() {
    const DWORD shortest = std::min(limits.connectMs, limits.lowSpeedWindowMs);
    ::SetTimer(window_.get(), kWatchdogTimer, std::clamp<DWORD>(shortest / 4, 10, kLongestTick),
               nullptr);
    phaseStart_ = Now();
}

void AsyncSocketWindow::CountTransfer(std::size_t bytes) {
    windowBytes_ += bytes;
}

int AsyncSocketWindow::Connect(const char* host, std::uint16_t port) {
    Close(kClosedByOwner);  // which clears the header too
    if (!MakeWindow()) return kFailed;
    state_ = kConnecting;
    StartWatchdog();
    const unsigned long address = ::inet_addr(host);
    if (address != INADDR_NONE) return StartConnect(address, port) ? kStarted : kFailed;

    lookupResult_ = std::make_unique<char[]>(MAXGETHOSTSTRUCT);
    lookupPort_ = port;
    lookup_ = ::WSAAsyncGetHostByName(window_.get(), kLookupMessage, host, lookupResult_.get(),
                                      MAXGETHOSTSTRUCT);
    if (!lookup_) {
        Close(kClosedByOwner);
        return kFailed;
    }
    return kStarted;
}

bool AsyncSocketWindow::StartConnect(unsigned long address, std::uint16_t port) {
    socket_.reset(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = ::htons(port);
    target.sin_addr.s_addr = address;
    if (!socket_ ||
        ::WSAAsyncSelect(socket_.get(), window_.get(), kSocketMessage,
                         FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE) != 0 ||
        (::connect(socket_.get(), reinterpret_cast<sockaddr*>(&target), sizeof target) != 0 &&
         ::WSAGetLastError() != WSAEWOULDBLOCK)) {
        Close(kClosedByOwner);
        return false;
    }
    return true;
}

void AsyncSocketWindow::OnLookup(int error) {
    lookup_ = nullptr;
    const auto* found = reinterpret_cast<const hostent*>(lookupResult_.get());
    unsigned long address = INADDR_NONE;
    if (error == 0 && found->h_addrtype == AF_INET && found->h_addr_list[0]) {
        std::memcpy(&address, found->h_addr_list[0], sizeof address);
    }
    if (address == INADDR_NONE || !StartConnect(address, lookupPort_)) {
        Close(kClosedByOwner);
        sink_->OnSocketConnected(error != 0 ? error : WSAHOST_NOT_FOUND);
    }
}

int AsyncSocketWindow::Send(const char* bytes, std::uint16_t length) {
    if (length == 0 || !socket_ || state_ != kConnected) return 0;
    ++requestCounter_;
    headerLength_ = 0;
    headerComplete_ = false;
    if (!pending_.empty()) {
        pending_.insert(pending_.end(), bytes, bytes + length);
        return length;
    }
    int sentSoFar = 0;
    while (sentSoFar < length) {
        int sent = ::send(socket_.get(), bytes + sentSoFar, length - sentSoFar, 0);
        if (sent == SOCKET_ERROR) {
            if (::WSAGetLastError() != WSAEWOULDBLOCK) {
                Close(kClosedOnError);
                return 0;
            }
            pending_.assign(bytes + sentSoFar, bytes + length);  // FD_WRITE sends the rest
            break;
        }
        sentSoFar += sent;
        CountTransfer(static_cast<std::size_t>(sent));
    }
    return length;
}

void AsyncSocketWindow::FlushPending() {
    while (!pending_.empty()) {
        int sent = ::send(socket_.get(), pending_.data(), static_cast<int>(pending_.size()), 0);
        if (sent == SOCKET_ERROR) {
            if (::WSAGetLastError() != WSAEWOULDBLOCK) Close(kClosedOnError);
            return;
        }
        pending_.erase(pending_.begin(), pending_.begin() + sent);
        CountTransfer(static_cast<std::size_t>(sent));
    }
}

void AsyncSocketWindow::Close(int reason) {
    if (lookup_) {
        ::WSACancelAsyncRequest(lookup_);
        lookup_ = nullptr;
    }
    window_.reset();
    pending_.clear();
    ClearHeader();
    ++requestCounter_;
    state_ = kClosed;
    if (socket_) {
        socket_.reset();
        if (reason != kClosedByOwner) sink_->OnSocketClosed(reason);
    }
}

LRESULT CALLBACK AsyncSocketWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                                    LPARAM lParam) {
    auto* self = reinterpret_cast<AsyncSocketWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && self->window_.get() == window) {
        if (message == kSocketMessage && static_cast<SOCKET>(wParam) == self->socket_.get()) {
            self->OnSocketEvent(WSAGETSELECTEVENT(lParam), WSAGETSELECTERROR(lParam));
            return 0;
        }
        if (message == kLookupMessage && reinterpret_cast<HANDLE>(wParam) == self->lookup_) {
            self->OnLookup(WSAGETASYNCERROR(lParam));
            return 0;
        }
        if (message == WM_TIMER && wParam == kWatchdogTimer) {
            self->OnWatchdogTick();
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
                windowStart_ = Now();
                windowBytes_ = 0;
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
            while (socket_ && Receive()) {
            }
            if (socket_) Close(kClosedByPeer);
            break;
        default:
            break;
    }
}

void AsyncSocketWindow::OnWatchdogTick() {
    const ULONGLONG now = Now();
    if (deadline_ != 0 && now >= deadline_) return TimeOut();
    if (state_ == kConnecting) {
        if (now - phaseStart_ >= limits.connectMs) TimeOut();
        return;
    }
    if (state_ != kConnected || now - windowStart_ < limits.lowSpeedWindowMs) return;
    if (windowBytes_ < limits.lowSpeedBytes) return TimeOut();
    windowStart_ = now;
    windowBytes_ = 0;
}

void AsyncSocketWindow::TimeOut() {
    if (state_ == kConnecting) {
        Close(kClosedByOwner);
        sink_->OnSocketConnected(WSAETIMEDOUT);
    } else {
        Close(kClosedOnError);
    }
}

bool AsyncSocketWindow::Receive() {
    if (!headerComplete_) return ReceiveHeader();
    if (body_.empty()) body_.resize(kReceiveSize);
    const int received = ::recv(socket_.get(), body_.data(), static_cast<int>(body_.size()), 0);
    if (received == SOCKET_ERROR) {
        if (::WSAGetLastError() != WSAEWOULDBLOCK) Close(kClosedOnError);
        return false;
    }
    if (received == 0) return false;
    CountTransfer(static_cast<std::size_t>(received));
    const std::uint16_t request = requestCounter_;
    for (std::size_t at = 0; at < static_cast<std::size_t>(received); at += kDataPiece) {
        const std::size_t piece = std::min(kDataPiece, static_cast<std::size_t>(received) - at);
        sink_->OnSocketData(body_.data() + at, static_cast<std::uint16_t>(piece));
        if (requestCounter_ != request) return false;
    }
    return true;
}

bool AsyncSocketWindow::ReceiveHeader() {
    int received = ::recv(socket_.get(), header_ + headerLength_,
                          static_cast<int>(kHeaderCapacity - headerLength_), 0);
    if (received == SOCKET_ERROR) {
        if (::WSAGetLastError() != WSAEWOULDBLOCK) Close(kClosedOnError);
        return false;
    }
    if (received == 0) return false;
    CountTransfer(static_cast<std::size_t>(received));
    const std::size_t got = headerLength_ + static_cast<std::size_t>(received);
    std::optional<std::size_t> end = HeaderEnd(header_, got);
    if (!end) {
        headerLength_ = static_cast<std::uint16_t>(got);
        // A header that fills the buffer without its blank line would never end.
        if (got == kHeaderCapacity) Close(kClosedOnError);
        return static_cast<bool>(socket_);
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
