#pragma once
// The command line of the fault-injecting HTTP server (see kUsageText in http_fault_server.cpp).

#include <netinet/in.h>

#include <cstdint>
#include <string>

namespace httpfaults {

struct Options {
    bool help = false;
    in_addr address{};
    std::uint16_t port = 0;
    std::string listenText;  // "127.0.0.1:18081": logged, and the authority of absolute redirects
    std::string root;
    std::string readyFile;
    std::string stopFile;
    std::string logPath;
    double lifetimeSeconds = 120;
};

// Fills `options` from the command line; on a wrong argument returns false with `error` saying
// what is wrong.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);

}  // namespace httpfaults
