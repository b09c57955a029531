#pragma once
// The logon server stand-in's server: listeners (stalled ones included), connections with their
// outgoing queues, and the poll() loop. What it answers to each frame is in standin_protocol.cpp.

#include <netinet/in.h>

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "netservice/tcp_frame.h"
#include "tests/logon_server/standin_options.h"

namespace standin {

using gatevane::FrameReader;
using gatevane::TcpCommand;

enum ExitCode { kClean = 0, kCannotStart = 1, kUsage = 2 };

// Set by the SIGINT/SIGTERM handler: the loop ends as for the stop file.
extern volatile std::sig_atomic_t gStopSignalled;

// Bytes waiting to go out on a connection; a trickled chunk goes one byte per TCP segment.
struct Chunk {
    std::vector<std::uint8_t> bytes;
    std::size_t sent = 0;
    bool trickle = false;
    std::string what;  // for the log line once it is all sent
};

struct Connection {
    int id = 0;
    int fd = -1;
    FrameReader reader;
    std::deque<Chunk> out;
    bool blocked = false;  // the last send found the socket buffer full: wait for POLLOUT
    std::int64_t nextTrickleMs = 0;
    bool reading = true;
    bool closeWhenFlushed = false;
    std::string closeReason;
    bool dead = false;
};

struct Listener {
    int fd = -1;
    Endpoint endpoint;
    bool stalled = false;
    std::int64_t stallEndMs = -1;  // -1: never
    std::vector<int> fillers;
    std::vector<sockaddr_in> fillerAddresses;
};

class Server {
public:
    explicit Server(const Options& options)
        : options_(options), life_("logon_server_standin", options.life) {}
    ~Server();

    int Run();

private:
    bool OpenListener(const Endpoint& endpoint, int backlog, Listener& listener);
    void FillAcceptQueue(Listener& listener);
    void EndStall(Listener& listener);
    void AcceptAll(Listener& listener);
    void AddConnection(int fd, const sockaddr_in& peer, const Listener& listener);
    void Read(Connection& connection);
    void HandleFrame(Connection& connection, TcpCommand command,
                     const std::vector<std::uint8_t>& body);
    void HandleNameCheck(Connection& connection, TcpCommand command,
                         const std::vector<std::uint8_t>& body);
    void HandleTestChannel(Connection& connection, TcpCommand command,
                           const std::vector<std::uint8_t>& body);
    void Queue(Connection& connection, std::vector<std::uint8_t> bytes, bool trickle,
               std::string what);
    void QueueFrame(Connection& connection, TcpCommand command, const void* body, std::size_t size);
    void Flush(Connection& connection);
    void CloseWhenFlushed(Connection& connection, const char* reason);
    void Close(Connection& connection, const char* reason);

    const Options& options_;
    testserver::ServerLife life_;
    std::vector<Listener> listeners_;
    std::vector<std::unique_ptr<Connection>> connections_;
    int nextConnectionId_ = 1;
    std::vector<std::uint8_t> readBuffer_ = std::vector<std::uint8_t>(65536);
};

}  // namespace standin
