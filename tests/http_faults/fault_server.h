#pragma once
// The fault server's connections with their outgoing queues, and the poll() loop. What it answers
// to each request is in fault_responses.cpp.

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fault_options.h"

namespace httpfaults {

enum ExitCode { kClean = 0, kCannotStart = 1, kUsage = 2 };

// Set by the SIGINT/SIGTERM handler: the loop ends as for the stop file.
extern volatile std::sig_atomic_t gStopSignalled;

// One write of a response. A chunk with a pause waits that long after the one before it has gone
// out completely, so the two reach the client in separate TCP segments.
struct Chunk {
    std::string bytes;
    std::size_t sent = 0;
    std::int64_t pauseMs = 0;
    std::int64_t readyAtMs = -1;  // set once the chunk reaches the front of the queue
};

enum class ConnectionState {
    kRequests,  // reads and answers requests, one at a time
    kIgnoring,  // silent or stalled: reads and drops whatever comes, answers nothing more
    kClosing,   // the response ends with the connection: drops input until the queue is sent
    kDraining,  // FIN sent: drops input until the client closes too, or a second has passed
};

struct Connection {
    int id = 0;
    int fd = -1;
    std::string in;
    std::deque<Chunk> out;
    bool blocked = false;  // the last send found the socket buffer full: wait for POLLOUT
    ConnectionState state = ConnectionState::kRequests;
    std::string closeReason;
    std::int64_t drainEndMs = 0;
    bool dead = false;
};

struct Request {
    std::string method;
    std::string target;  // as sent, query included
    std::string path;    // the target without its query
    bool hasRange = false;
    std::string range;  // the Range header's value, as sent
    bool rangeUsable = false;
    std::uint64_t rangeStart = 0;  // from "bytes=N-"; other forms are not used
    bool clientCloses = false;     // "Connection: close"
};

class Server {
public:
    explicit Server(const Options& options)
        : options_(options), life_("http_fault_server", options.life) {}
    ~Server();

    int Run();

private:
    bool Listen();
    void AcceptAll();
    void Read(Connection& connection);
    void Service(Connection& connection);
    bool TakeRequest(Connection& connection);

    // fault_responses.cpp
    void HandleRequest(Connection& connection, const std::string& head);
    std::string Answer(Connection& connection, const Request& request);
    std::string ServeFile(Connection& connection, const Request& request, const std::string& mode,
                          const std::string& file, const std::string& content);
    std::string Simple(Connection& connection, int code, const std::string& extraHeaders = "");
    std::string Redirect(Connection& connection, const std::string& location);
    int LoadFile(const std::string& file, std::string& content);

    void Queue(Connection& connection, std::string bytes, std::int64_t pauseMs = 0);
    void CloseAfterResponse(Connection& connection, const char* reason);
    void Flush(Connection& connection);
    void Close(Connection& connection, const char* reason);

    const Options& options_;
    testserver::ServerLife life_;
    std::string root_;  // --root with symbolic links resolved, to tell what lies beneath it
    int listenFd_ = -1;
    std::vector<std::unique_ptr<Connection>> connections_;
    int nextConnectionId_ = 1;
    std::map<std::string, int> flakyCounts_;  // path -> requests seen
    std::vector<char> readBuffer_ = std::vector<char>(65536);
};

}  // namespace httpfaults
