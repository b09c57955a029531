#include "fault_options.h"

#include <arpa/inet.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace httpfaults {
namespace {

bool ParseListen(const std::string& text, Options& options, std::string& error) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos) {
        error = "--listen wants ADDR:PORT, not '" + text + "'";
        return false;
    }
    std::string host = text.substr(0, colon);
    const std::string port = text.substr(colon + 1);
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(port.c_str(), &end, 10);
    if (port.empty() || *end != '\0' || errno != 0 || value < 1 || value > 65535) {
        error = "port of '" + text + "' is not a number from 1 to 65535";
        return false;
    }
    // Only loopback: the server never listens where another machine could reach it, and never
    // resolves names ("localhost" is taken as 127.0.0.1).
    if (host == "localhost") host = "127.0.0.1";
    if (inet_pton(AF_INET, host.c_str(), &options.address) != 1) {
        error = "'" + host + "' is not a dotted IPv4 address";
        return false;
    }
    if ((ntohl(options.address.s_addr) >> 24) != 127) {
        error = "'" + host + "' is not a loopback address (127.0.0.0/8)";
        return false;
    }
    options.port = static_cast<std::uint16_t>(value);
    options.listenText = host + ":" + std::to_string(value);
    return true;
}

}  // namespace

bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
    const auto take = [&options](const std::string& option, const std::string& value,
                                 std::string& refusal) {
        if (option == "--root") {
            options.root = value;
            if (value.empty()) refusal = "--root wants a folder";
            return !value.empty();
        }
        // One address only: absolute redirects name it, so it must be unambiguous.
        if (!options.listenText.empty()) {
            refusal = "--listen is given twice";
            return false;
        }
        return ParseListen(value, options, refusal);
    };
    if (!testserver::ParseCommandLine(argc, argv, {"--listen", "--root"}, options.life,
                                      options.help, take, error)) {
        return false;
    }
    if (options.help) return true;
    if (options.listenText.empty()) {
        error = "--listen ADDR:PORT is required";
        return false;
    }
    if (options.root.empty()) {
        error = "--root DIR is required";
        return false;
    }
    return true;
}

}  // namespace httpfaults
