#pragma once
// The command line of the fault-injecting HTTP server (see kUsageText in http_fault_server.cpp).

#include <netinet/in.h>

#include <cstdint>
#include <string>

#include "tests/server_common/server_life.h"

namespace httpfaults {

struct Options {
    bool help = false;
    in_addr address{};
    std::uint16_t port = 0;
    std::string listenText;  // "127.0.0.1:18081": logged, and the authority of absolute redirects
    std::string root;
    testserver::LifeOptions life;
};

// Fills `options` from the command line; on a wrong argument returns false with `error` saying
// what is wrong.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);

}  // namespace httpfaults
