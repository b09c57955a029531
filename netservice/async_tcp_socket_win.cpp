#include "netservice/async_tcp_socket_win.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "netservice/host_name.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace gatevane {
namespace {

constexpr char kWindowClass[] = "GatevaneAsyncTcpSocket";
constexpr UINT kResolvedMessage = WM_APP + 1;
constexpr UINT kDeferredShutMessage = WM_APP + 2;  // wParam: attempt message, lParam: reason
// Socket messages run from here, one number per attempt, cycling.
constexpr UINT kFirstSocketMessage = WM_APP + 0x100;
constexpr UINT kSocketMessageCount = 0x1000;
constexpr UINT_PTR kTimeLimitTimer = 1;
// What may wait to be sent before Send refuses more: many times any message of the launcher.
constexpr std::size_t kMaxOutgoing = 256 * 1024;

HINSTANCE ThisModule() {
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

bool RegisterWindowClass() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcA;
    windowClass.hInstance = ThisModule();
    windowClass.lpszClassName = kWindowClass;
    return ::RegisterClassA(&windowClass) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

std::uint16_t NextSocketId() {
    static std::uint16_t last = 0;
    return ++last;
}

}  // namespace

AsyncTcpSocket* AsyncTcpSocket::Create() {
    WinsockStartup winsock;
    if (!winsock.ok()) return nullptr;
    UniqueWindow window(RegisterWindowClass()
                            ? ::CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                                nullptr, ThisModule(), nullptr)
                            : nullptr);
    if (!window) return nullptr;
    // From here the component owns both; until then they are undone on every way out.
    auto* component = new AsyncTcpSocket(std::move(winsock), std::move(window), NextSocketId());
    HWND own = component->window_.get();
    ::SetWindowLongPtrA(own, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(component));
    ::SetWindowLongPtrA(own, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProcedure));
    return component;
}

AsyncTcpSocket::AsyncTcpSocket(WinsockStartup&& winsock, UniqueWindow&& window,
                               std::uint16_t socketId)
    : winsock_(std::move(winsock)),
      window_(std::move(window)),
      socketId_(socketId),
      attemptMessage_(kFirstSocketMessage) {}

AsyncTcpSocket::~AsyncTcpSocket() {
    Close();
    // The window goes before Winsock is cleaned up, as the members are declared.
    ::SetWindowLongPtrA(window_.get(), GWLP_USERDATA, 0);
}

void AsyncTcpSocket::Destroy() {
    Close();
    sink_ = nullptr;
    if (dispatchDepth_ == 0) {
        delete this;
        return;
    }
    // Destroyed from inside one of its own events: deleted once that event has returned. The
    // owner may free this module right after Destroy, while the event's code is still running,
    // so the module stays loaded for the rest of the process.
    destroyRequested_ = true;
    HMODULE self;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                         reinterpret_cast<LPCSTR>(&__ImageBase), &self);
}

void* AsyncTcpSocket::FindInterface(const InterfaceId& id, std::uint32_t version) {
    return AnswerInterface<TcpSocketComponent>(this, kTcpSocketInterfaceId, id, version);
}

bool AsyncTcpSocket::SetSink(BaseInterface* sink) {
    sink_ = sink ? static_cast<TcpSocketSink*>(
                       sink->FindInterface(kTcpSocketSinkInterfaceId, kInterfaceVersion))
                 : nullptr;
    return sink_ != nullptr;
}

void AsyncTcpSocket::Close() {
    ::KillTimer(window_.get(), kTimeLimitTimer);
    if (resolveTask_) ::WSACancelAsyncRequest(std::exchange(resolveTask_, nullptr));
    socket_.reset();
    outgoing_.clear();
    reader_.Clear();
    state_ = State::kIdle;
    NextAttempt();
}

void AsyncTcpSocket::NextAttempt() {
    attemptMessage_ =
        kFirstSocketMessage + (attemptMessage_ - kFirstSocketMessage + 1) % kSocketMessageCount;
}

int AsyncTcpSocket::Connect(const char* host, std::uint16_t port) {
    Close();
    if (!host) return WSAEINVAL;
    const std::string_view name(host, strnlen(host, kMaxHostLength + 1));
    port_ = port;
    if (std::optional<std::uint32_t> address = ParseDottedAddress(name)) {
        if (int error = StartConnect(*address)) return error;
    } else if (IsHostName(name)) {
        resolveTask_ = ::WSAAsyncGetHostByName(window_.get(), kResolvedMessage, host, resolved_,
                                               sizeof resolved_);
        if (!resolveTask_) return ::WSAGetLastError();
        state_ = State::kResolving;
    } else {
        return WSAEINVAL;
    }
    ::SetTimer(window_.get(), kTimeLimitTimer, kConnectTimeLimitMs, nullptr);
    return 0;
}

int AsyncTcpSocket::StartConnect(std::uint32_t address) {
    socket_.reset(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!socket_) return ::WSAGetLastError();
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = ::htons(port_);
    target.sin_addr.s_addr = ::htonl(address);
    if (::WSAAsyncSelect(socket_.get(), window_.get(), attemptMessage_,
                         FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) != 0 ||
        (::connect(socket_.get(), reinterpret_cast<sockaddr*>(&target), sizeof target) != 0 &&
         ::WSAGetLastError() != WSAEWOULDBLOCK)) {
        int error = ::WSAGetLastError();
        Close();
        return error;
    }
    state_ = State::kConnecting;
    return 0;
}

bool AsyncTcpSocket::Send(std::uint16_t mainCommand, std::uint16_t subCommand, const void* data,
                          std::uint16_t size) {
    if (state_ != State::kConnected || (size > 0 && !data)) return false;
    std::vector<std::uint8_t> frame = EncodeFrame({mainCommand, subCommand}, data, size);
    if (frame.empty() || outgoing_.size() + frame.size() > kMaxOutgoing) return false;
    outgoing_.insert(outgoing_.end(), frame.begin(), frame.end());
    Flush();
    return true;
}

void AsyncTcpSocket::Flush() {
    while (!outgoing_.empty()) {
        int sent = ::send(socket_.get(), reinterpret_cast<const char*>(outgoing_.data()),
                          static_cast<int>(std::min<std::size_t>(outgoing_.size(), 65536)), 0);
        if (sent == SOCKET_ERROR) {
            if (::WSAGetLastError() == WSAEWOULDBLOCK) return;  // FD_WRITE resumes
            // Reported later, never from inside the sink's own call to Send.
            ::PostMessageA(window_.get(), kDeferredShutMessage, attemptMessage_, kShutNetworkError);
            outgoing_.clear();
            return;
        }
        outgoing_.erase(outgoing_.begin(), outgoing_.begin() + sent);
    }
}

LRESULT CALLBACK AsyncTcpSocket::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    auto* self = reinterpret_cast<AsyncTcpSocket*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self || self->destroyRequested_) return ::DefWindowProcA(window, message, wParam, lParam);
    ++self->dispatchDepth_;
    self->HandleMessage(message, wParam, lParam);
    if (--self->dispatchDepth_ == 0 && self->destroyRequested_) delete self;
    return 0;
}

void AsyncTcpSocket::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == attemptMessage_ && static_cast<SOCKET>(wParam) == socket_.get()) {
        OnSocketEvent(WSAGETSELECTEVENT(lParam), WSAGETSELECTERROR(lParam));
    } else if (message == kResolvedMessage && reinterpret_cast<HANDLE>(wParam) == resolveTask_) {
        resolveTask_ = nullptr;
        OnResolved(WSAGETASYNCERROR(lParam));
    } else if (message == WM_TIMER && wParam == kTimeLimitTimer) {
        OnTimeLimit();
    } else if (message == kDeferredShutMessage && wParam == attemptMessage_ &&
               state_ == State::kConnected) {
        EndConnection(static_cast<std::uint8_t>(lParam));
    }
}

void AsyncTcpSocket::OnSocketEvent(WORD event, int error) {
    switch (event) {
        case FD_CONNECT:
            OnConnected(error);
            break;
        case FD_READ:
            ReadAvailable();
            break;
        case FD_WRITE:
            Flush();
            break;
        case FD_CLOSE:
            ReadAvailable();  // what the server sent before closing still counts
            if (state_ == State::kConnected) {
                EndConnection(error ? kShutNetworkError : kShutByServer);
            }
            break;
        default:
            break;
    }
}

void AsyncTcpSocket::OnResolved(int error) {
    const auto* host = reinterpret_cast<const hostent*>(resolved_);
    if (error == 0 && (host->h_addrtype != AF_INET || host->h_length != 4 || !host->h_addr_list ||
                       !host->h_addr_list[0])) {
        error = WSANO_DATA;
    }
    if (error == 0) {
        std::uint32_t address;
        std::memcpy(&address, host->h_addr_list[0], sizeof address);
        error = StartConnect(::ntohl(address));
    }
    if (error != 0) FailLink(error);
}

void AsyncTcpSocket::OnConnected(int error) {
    if (state_ != State::kConnecting) return;
    if (error != 0) {
        FailLink(error);
        return;
    }
    ::KillTimer(window_.get(), kTimeLimitTimer);
    state_ = State::kConnected;
    if (sink_) sink_->OnEventTCPSocketLink(socketId_, 0);
}

void AsyncTcpSocket::OnTimeLimit() {
    ::KillTimer(window_.get(), kTimeLimitTimer);
    if (state_ == State::kResolving || state_ == State::kConnecting) FailLink(WSAETIMEDOUT);
}

void AsyncTcpSocket::FailLink(int error) {
    Close();
    if (sink_) sink_->OnEventTCPSocketLink(socketId_, error);
}

void AsyncTcpSocket::ReadAvailable() {
    char buffer[4096];
    while (state_ == State::kConnected) {
        int received = ::recv(socket_.get(), buffer, sizeof buffer, 0);
        if (received > 0) {
            reader_.Append(buffer, static_cast<std::size_t>(received));
            DeliverFrames();
        } else if (received == 0) {
            EndConnection(kShutByServer);
        } else {
            if (::WSAGetLastError() != WSAEWOULDBLOCK) EndConnection(kShutNetworkError);
            return;
        }
    }
}

void AsyncTcpSocket::DeliverFrames() {
    TcpCommand command;
    std::vector<std::uint8_t> body;
    const UINT attempt = attemptMessage_;
    // The sink may close or reconnect from an event: stop as soon as this connection is gone.
    while (state_ == State::kConnected && attemptMessage_ == attempt && !destroyRequested_) {
        switch (reader_.Next(command, body)) {
            case FrameReader::Result::kNeedMore:
                return;
            case FrameReader::Result::kMalformed:
                EndConnection(kShutMalformedData);
                return;
            case FrameReader::Result::kFrame:
                if (sink_ &&
                    !sink_->OnEventTCPSocketRead(socketId_, command, body.data(),
                                                 static_cast<std::uint16_t>(body.size())) &&
                    state_ == State::kConnected && attemptMessage_ == attempt) {
                    EndConnection(kShutReadRefused);
                }
                break;
        }
    }
}

void AsyncTcpSocket::EndConnection(std::uint8_t reason) {
    Close();
    if (sink_) sink_->OnEventTCPSocketShut(socketId_, reason);
}

}  // namespace gatevane
