#include "tests/logon_server/standin_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstring>

namespace standin {

volatile std::sig_atomic_t gStopSignalled = 0;

namespace {

constexpr std::int64_t kTrickleIntervalMs = 2;
constexpr std::int64_t kStopFileIntervalMs = 50;
constexpr int kStallFillers = 3;

std::int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string AddressText(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = "?";
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
}

bool SetNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

}  // namespace

Server::~Server() {
    for (auto& connection : connections_) {
        if (!connection->dead) Close(*connection, "shutdown");
    }
    for (Listener& listener : listeners_) {
        for (int filler : listener.fillers) close(filler);
        if (listener.fd >= 0) close(listener.fd);
    }
}

bool Server::OpenListener(const Endpoint& endpoint, int backlog, Listener& listener) {
    listener.endpoint = endpoint;
    listener.fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr = endpoint.address;
    address.sin_port = htons(endpoint.port);
    if (listener.fd < 0 || setsockopt(listener.fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        bind(listener.fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener.fd, backlog) != 0 || !SetNonBlocking(listener.fd)) {
        std::fprintf(stderr, "logon_server_standin: cannot listen on %s: %s\n",
                     endpoint.text.c_str(), std::strerror(errno));
        return false;
    }
    life_.Log("listen %s", endpoint.text.c_str());
    return true;
}

// With a backlog of 0 the accept queue holds one connection; once a filler sits in it, the kernel
// drops every further SYN, so a client's connect hangs until the stall ends.
void Server::FillAcceptQueue(Listener& listener) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr = listener.endpoint.address;
    address.sin_port = htons(listener.endpoint.port);
    for (int i = 0; i < kStallFillers; ++i) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) continue;
        connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);  // EINPROGRESS
        sockaddr_in local{};
        socklen_t length = sizeof local;
        getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length);
        listener.fillers.push_back(fd);
        listener.fillerAddresses.push_back(local);
        if (i == 0) {
            // Let the first handshake land in the queue before the others are sent.
            pollfd queued{listener.fd, POLLIN, 0};
            poll(&queued, 1, 200);
        }
    }
}

void Server::EndStall(Listener& listener) {
    // The fillers still connecting go first, so none of them can complete once there is room.
    for (int filler : listener.fillers) close(filler);
    listener.fillers.clear();
    listener.stalled = false;
    for (;;) {
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        const int fd = accept(listener.fd, reinterpret_cast<sockaddr*>(&peer), &length);
        if (fd < 0) break;
        const bool filler = std::any_of(listener.fillerAddresses.begin(),
                                        listener.fillerAddresses.end(), [&](const sockaddr_in& a) {
                                            return a.sin_addr.s_addr == peer.sin_addr.s_addr &&
                                                   a.sin_port == peer.sin_port;
                                        });
        if (filler) {
            close(fd);
        } else {
            AddConnection(fd, peer, listener);
        }
    }
    listener.fillerAddresses.clear();
    listen(listener.fd, SOMAXCONN);  // Linux takes a new backlog on a listening socket
    life_.Log("stall-end %s", listener.endpoint.text.c_str());
}

void Server::AcceptAll(Listener& listener) {
    for (;;) {
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        const int fd = accept(listener.fd, reinterpret_cast<sockaddr*>(&peer), &length);
        if (fd < 0) return;  // EAGAIN, or a connection that died in the queue
        AddConnection(fd, peer, listener);
    }
}

void Server::AddConnection(int fd, const sockaddr_in& peer, const Listener& listener) {
    auto connection = std::make_unique<Connection>();
    connection->id = nextConnectionId_++;
    connection->fd = fd;
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
    life_.Log("accept conn=%d listener=%s peer=%s", connection->id, listener.endpoint.text.c_str(),
              AddressText(peer).c_str());
    if (!SetNonBlocking(fd)) {
        Close(*connection, "error");
    } else if (options_.misbehave == Misbehave::kClose) {
        Close(*connection, "misbehave");
    }
    connections_.push_back(std::move(connection));
}

void Server::Flush(Connection& connection) {
    while (!connection.out.empty() && !connection.dead) {
        Chunk& chunk = connection.out.front();
        std::size_t want = chunk.bytes.size() - chunk.sent;
        if (chunk.trickle) {
            if (NowMs() < connection.nextTrickleMs) return;
            want = 1;
        }
        const ssize_t sent =
            send(connection.fd, chunk.bytes.data() + chunk.sent, want, MSG_NOSIGNAL);
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
        if (chunk.trickle) connection.nextTrickleMs = NowMs() + kTrickleIntervalMs;
        if (chunk.sent < chunk.bytes.size()) {
            // A partial write: the rest waits for POLLOUT; a trickle waits for its next turn.
            if (!chunk.trickle) connection.blocked = true;
            return;
        }
        life_.Log("sent conn=%d %s", connection.id, chunk.what.c_str());
        connection.out.pop_front();
    }
    if (connection.out.empty() && connection.closeWhenFlushed && !connection.dead) {
        Close(connection, connection.closeReason.c_str());
    }
}

void Server::CloseWhenFlushed(Connection& connection, const char* reason) {
    connection.reading = false;
    connection.closeWhenFlushed = true;
    connection.closeReason = reason;
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
    const std::int64_t endMs =
        NowMs() + static_cast<std::int64_t>(options_.life.lifetimeSeconds * 1000);
    listeners_.reserve(options_.listens.size() + options_.stalls.size());
    for (const Endpoint& endpoint : options_.listens) {
        listeners_.emplace_back();
        if (!OpenListener(endpoint, SOMAXCONN, listeners_.back())) return kCannotStart;
    }
    for (const StalledListen& stall : options_.stalls) {
        listeners_.emplace_back();
        Listener& listener = listeners_.back();
        if (!OpenListener(stall.endpoint, 0, listener)) return kCannotStart;
        FillAcceptQueue(listener);
        listener.stalled = true;
        listener.stallEndMs = stall.milliseconds > 0 ? NowMs() + stall.milliseconds : -1;
        life_.Log("stall %s ms=%ld", stall.endpoint.text.c_str(), stall.milliseconds);
    }
    if (!life_.WriteReadyFile()) return kCannotStart;

    std::int64_t nextStopCheckMs = NowMs();
    std::vector<pollfd> fds;
    std::vector<Listener*> polledListeners;
    std::vector<Connection*> polledConnections;
    for (;;) {
        std::int64_t now = NowMs();
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
        for (Listener& listener : listeners_) {
            if (listener.stalled && listener.stallEndMs >= 0 && now >= listener.stallEndMs) {
                EndStall(listener);
            }
        }

        std::int64_t wakeMs = std::min(endMs, nextStopCheckMs);
        fds.clear();
        polledListeners.clear();
        polledConnections.clear();
        for (Listener& listener : listeners_) {
            if (listener.stalled) {
                if (listener.stallEndMs >= 0) wakeMs = std::min(wakeMs, listener.stallEndMs);
                continue;  // its queued filler would keep it readable
            }
            fds.push_back({listener.fd, POLLIN, 0});
            polledListeners.push_back(&listener);
        }
        for (auto& connection : connections_) {
            short events = connection->reading ? POLLIN : 0;
            if (!connection->out.empty()) {
                if (connection->blocked || !connection->out.front().trickle) {
                    events |= POLLOUT;
                } else {
                    wakeMs = std::min(wakeMs, connection->nextTrickleMs);
                }
            }
            fds.push_back({connection->fd, events, 0});
            polledConnections.push_back(connection.get());
        }
        const int timeout = static_cast<int>(std::max<std::int64_t>(0, wakeMs - now));
        if (poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) {
            std::fprintf(stderr, "logon_server_standin: poll: %s\n", std::strerror(errno));
            life_.Log("exit reason=poll-error");
            return kCannotStart;
        }

        for (std::size_t i = 0; i < polledListeners.size(); ++i) {
            if (fds[i].revents & POLLIN) AcceptAll(*polledListeners[i]);
        }
        for (std::size_t i = 0; i < polledConnections.size(); ++i) {
            Connection& connection = *polledConnections[i];
            const short revents = fds[polledListeners.size() + i].revents;
            if (revents & POLLOUT) connection.blocked = false;
            if (connection.reading && (revents & (POLLIN | POLLHUP | POLLERR))) {
                Read(connection);
            } else if (!connection.reading && (revents & (POLLHUP | POLLERR))) {
                Close(connection, "hang-up");
            }
        }
        for (auto& connection : connections_) {
            if (!connection->dead && !connection->blocked) Flush(*connection);
        }
        connections_.erase(std::remove_if(connections_.begin(), connections_.end(),
                                          [](const auto& c) { return c->dead; }),
                           connections_.end());
    }
}

}  // namespace standin
