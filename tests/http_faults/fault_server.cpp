#include "fault_server.h"

#include <arpa/inet.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace httpfaults {

volatile std::sig_atomic_t gStopSignalled = 0;

namespace {

constexpr std::int64_t kStopFileIntervalMs = 50;
constexpr std::int64_t kDrainMs = 1000;
// A request header may take this many bytes, its blank line included.
constexpr std::size_t kMaxHeader = 8192;

std::int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string AddressText(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = "?";
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
}

// Many simultaneous clients must not run the server out of descriptors at the default soft limit.
void RaiseDescriptorLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

}  // namespace

Server::~Server() {
    for (auto& connection : connections_) Close(*connection, "shutdown");
    if (listenFd_ >= 0) close(listenFd_);
}

bool Server::Listen() {
    listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int on = 1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr = options_.address;
    address.sin_port = htons(options_.port);
    if (listenFd_ < 0 || setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listenFd_, SOMAXCONN) != 0) {
        std::fprintf(stderr, "http_fault_server: cannot listen on %s: %s\n",
                     options_.listenText.c_str(), std::strerror(errno));
        return false;
    }
    life_.Log("listen %s root=%s", options_.listenText.c_str(), root_.c_str());
    return true;
}

void Server::AcceptAll() {
    for (;;) {
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        const int fd = accept4(listenFd_, reinterpret_cast<sockaddr*>(&peer), &length,
                               SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;  // EAGAIN, or a connection that died in the queue
        auto connection = std::make_unique<Connection>();
        connection->id = nextConnectionId_++;
        connection->fd = fd;
        // Every write goes out at once: the split responses rely on it.
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        life_.Log("accept conn=%d peer=%s", connection->id, AddressText(peer).c_str());
        connections_.push_back(std::move(connection));
    }
}

void Server::Read(Connection& connection) {
    const ssize_t got = recv(connection.fd, readBuffer_.data(), readBuffer_.size(), 0);
    if (got < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) Close(connection, "error");
    } else if (got == 0) {
        Close(connection, connection.state == ConnectionState::kDraining
                              ? connection.closeReason.c_str()
                              : "client-closed");
    } else if (connection.state == ConnectionState::kRequests) {
        connection.in.append(readBuffer_.data(), static_cast<std::size_t>(got));
    }
}

// Answers requests one after the other: the next is taken only once the previous response has
// gone out completely, so a client's pipelined requests cannot pile up responses in memory.
void Server::Service(Connection& connection) {
    for (;;) {
        if (!connection.dead && !connection.blocked) Flush(connection);
        if (connection.dead || connection.state != ConnectionState::kRequests ||
            !connection.out.empty() || !TakeRequest(connection)) {
            return;
        }
    }
}

bool Server::TakeRequest(Connection& connection) {
    const std::size_t end = connection.in.find("\r\n\r\n");
    if (end == std::string::npos ? connection.in.size() >= kMaxHeader : end + 4 > kMaxHeader) {
        life_.Log("request conn=%d header over %zu bytes -> 431", connection.id, kMaxHeader);
        Simple(connection, 431, "Connection: close\r\n");
        CloseAfterResponse(connection, "header-too-large");
        return true;
    }
    if (end == std::string::npos) return false;
    const std::string head = connection.in.substr(0, end);
    connection.in.erase(0, end + 4);
    HandleRequest(connection, head);
    return true;
}

void Server::Queue(Connection& connection, std::string bytes, std::int64_t pauseMs) {
    Chunk chunk;
    chunk.bytes = std::move(bytes);
    chunk.pauseMs = pauseMs;
    connection.out.push_back(std::move(chunk));
}

void Server::CloseAfterResponse(Connection& connection, const char* reason) {
    connection.state = ConnectionState::kClosing;
    connection.closeReason = reason;
    connection.in.clear();
}

void Server::Flush(Connection& connection) {
    while (!connection.out.empty()) {
        Chunk& chunk = connection.out.front();
        if (chunk.readyAtMs < 0) chunk.readyAtMs = NowMs() + chunk.pauseMs;
        if (NowMs() < chunk.readyAtMs) return;
        const ssize_t sent = send(connection.fd, chunk.bytes.data() + chunk.sent,
                                  chunk.bytes.size() - chunk.sent, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                connection.blocked = true;
            } else {
                Close(connection, "error");
            }
            return;
        }
        chunk.sent += static_cast<std::size_t>(sent);
        if (chunk.sent < chunk.bytes.size()) {
            connection.blocked = true;  // a partial write: the rest waits for POLLOUT
            return;
        }
        connection.out.pop_front();
    }
    if (connection.state == ConnectionState::kClosing) {
        // FIN after the last byte, then a lingering read: closing with unread input would send a
        // reset, and the client could lose the response it has not read yet.
        shutdown(connection.fd, SHUT_WR);
        connection.state = ConnectionState::kDraining;
        connection.drainEndMs = NowMs() + kDrainMs;
    }
}

void Server::Close(Connection& connection, const char* reason) {
    if (connection.dead) return;
    // Logged first, so a client that sees the connection end finds it in the log already.
    life_.Log("close conn=%d reason=%s", connection.id, reason);
    close(connection.fd);
    connection.dead = true;
    connection.out.clear();
}

int Server::Run() {
    if (!life_.OpenLog()) return kCannotStart;
    char resolved[PATH_MAX];
    struct stat info {};
    if (!realpath(options_.root.c_str(), resolved) || stat(resolved, &info) != 0 ||
        !S_ISDIR(info.st_mode)) {
        std::fprintf(stderr, "http_fault_server: --root %s is not a folder\n",
                     options_.root.c_str());
        return kCannotStart;
    }
    root_ = resolved;
    RaiseDescriptorLimit();
    const std::int64_t endMs =
        NowMs() + static_cast<std::int64_t>(options_.life.lifetimeSeconds * 1000);
    if (!Listen()) return kCannotStart;
    if (!life_.WriteReadyFile()) return kCannotStart;

    std::int64_t nextStopCheckMs = NowMs();
    std::vector<pollfd> fds;
    for (;;) {
        const std::int64_t now = NowMs();
        const char* exitReason = nullptr;
        if (gStopSignalled) exitReason = "signal";
        if (now >= endMs) exitReason = "lifetime";
        if (now >= nextStopCheckMs) {
            if (life_.StopRequested()) exitReason = "stop-file";
            nextStopCheckMs = now + kStopFileIntervalMs;
        }
        if (exitReason) {
            life_.Log("exit reason=%s", exitReason);
            return kClean;
        }

        std::int64_t wakeMs = std::min(endMs, nextStopCheckMs);
        fds.assign(1, pollfd{listenFd_, POLLIN, 0});
        for (auto& connection : connections_) {
            Connection& c = *connection;
            if (c.state == ConnectionState::kDraining) {
                if (now >= c.drainEndMs) Close(c, c.closeReason.c_str());
                wakeMs = std::min(wakeMs, c.drainEndMs);
            }
            // Input is always read, to notice a client that goes away; a connection that answers
            // requests stops reading once a whole header's worth waits behind a response.
            short events =
                c.state != ConnectionState::kRequests || c.in.size() < kMaxHeader ? POLLIN : 0;
            if (!c.out.empty()) {
                if (c.blocked || c.out.front().readyAtMs <= now) {
                    events |= POLLOUT;
                } else {
                    wakeMs = std::min(wakeMs, c.out.front().readyAtMs);
                }
            }
            fds.push_back({c.dead ? -1 : c.fd, events, 0});
        }
        const int timeout = static_cast<int>(std::max<std::int64_t>(0, wakeMs - now));
        if (poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) {
            std::fprintf(stderr, "http_fault_server: poll: %s\n", std::strerror(errno));
            life_.Log("exit reason=poll-error");
            return kCannotStart;
        }

        // Connections accepted now are polled from the next round on.
        const std::size_t polled = fds.size() - 1;
        for (std::size_t i = 0; i < polled; ++i) {
            Connection& connection = *connections_[i];
            const short revents = fds[i + 1].revents;
            if (revents & POLLOUT) connection.blocked = false;
            if (!connection.dead && (revents & (POLLIN | POLLHUP | POLLERR))) Read(connection);
        }
        if (fds[0].revents & POLLIN) AcceptAll();
        for (auto& connection : connections_) {
            if (!connection->dead) Service(*connection);
        }
        connections_.erase(std::remove_if(connections_.begin(), connections_.end(),
                                          [](const auto& c) { return c->dead; }),
                           connections_.end());
    }
}

}  // namespace httpfaults
