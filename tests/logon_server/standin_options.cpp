#include "tests/logon_server/standin_options.h"

#include <arpa/inet.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "launcher/register/name_check_messages.h"

namespace standin {
namespace {

// A request carries at most this many bytes of name; a longer taken name could never be asked
// about, which is a mistake in the test, not something to ignore.
constexpr std::size_t kMaxNameBytes = gatevane::kNameCheckRequestSize - 1;

bool ParseEndpoint(const std::string& text, Endpoint& endpoint, std::string& error) {
    std::string host = text;
    endpoint.port = kDefaultPort;
    const std::size_t colon = text.rfind(':');
    if (colon != std::string::npos) {
        host = text.substr(0, colon);
        const std::string port = text.substr(colon + 1);
        char* end = nullptr;
        errno = 0;
        const long value = std::strtol(port.c_str(), &end, 10);
        if (port.empty() || *end != '\0' || errno != 0 || value < 1 || value > 65535) {
            error = "port of '" + text + "' is not a number from 1 to 65535";
            return false;
        }
        endpoint.port = static_cast<std::uint16_t>(value);
    }
    // Only loopback: the stand-in never listens where another machine could reach it, and never
    // resolves names ("localhost" is taken as 127.0.0.1).
    if (host == "localhost") host = "127.0.0.1";
    if (inet_pton(AF_INET, host.c_str(), &endpoint.address) != 1) {
        error = "'" + host + "' is not a dotted IPv4 address";
        return false;
    }
    if ((ntohl(endpoint.address.s_addr) >> 24) != 127) {
        error = "'" + host + "' is not a loopback address (127.0.0.0/8)";
        return false;
    }
    endpoint.text = host + ":" + std::to_string(endpoint.port);
    return true;
}

// NAME[=REMARK]: the name ends at the first '='.
void SplitAtEquals(const std::string& text, std::string& name, std::string& remark) {
    const std::size_t equals = text.find('=');
    name = text.substr(0, equals);
    remark = equals == std::string::npos ? std::string() : text.substr(equals + 1);
}

bool ParseMisbehave(const std::string& text, Misbehave& mode) {
    static const struct {
        const char* name;
        Misbehave mode;
    } kModes[] = {{"wrong-size", Misbehave::kWrongSize},
                  {"other-command", Misbehave::kOtherCommand},
                  {"garbage", Misbehave::kGarbage},
                  {"silent", Misbehave::kSilent},
                  {"close", Misbehave::kClose}};
    for (const auto& entry : kModes) {
        if (text == entry.name) {
            mode = entry.mode;
            return true;
        }
    }
    return false;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool AddTaken(Options& options, const std::string& name, const std::string& remark,
              std::string& error) {
    if (name.size() > kMaxNameBytes || name.find('\0') != std::string::npos) {
        error =
            "a taken name has at most " + std::to_string(kMaxNameBytes) + " bytes and no zero byte";
        return false;
    }
    options.taken[name] = remark;
    return true;
}

}  // namespace

bool DecodeHex(const std::string& hex, std::string& bytes) {
    if (hex.size() % 2 != 0) return false;
    bytes.clear();
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexDigit(hex[i]);
        const int low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes.push_back(static_cast<char>(high << 4 | low));
    }
    return true;
}

bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
    bool misbehaveGiven = false;
    const auto take = [&](const std::string& option, const std::string& value,
                          std::string& refusal) {
        if (option == "--listen") {
            Endpoint endpoint;
            if (!ParseEndpoint(value, endpoint, refusal)) return false;
            options.listens.push_back(endpoint);
        } else if (option == "--taken") {
            std::string name, remark;
            SplitAtEquals(value, name, remark);
            if (!AddTaken(options, name, remark, refusal)) return false;
        } else if (option == "--taken-hex") {
            std::string nameHex, remarkHex, name, remark;
            SplitAtEquals(value, nameHex, remarkHex);
            if (!DecodeHex(nameHex, name) || !DecodeHex(remarkHex, remark)) {
                refusal = "--taken-hex wants HEXBYTES[=REMARKHEX], not '" + value + "'";
                return false;
            }
            if (!AddTaken(options, name, remark, refusal)) return false;
        } else if (option == "--free-remark") {
            options.freeRemark = value;
        } else if (option == "--free-remark-hex") {
            if (!DecodeHex(value, options.freeRemark)) {
                refusal = "--free-remark-hex wants hex bytes, not '" + value + "'";
                return false;
            }
        } else if (option == "--misbehave") {
            if (misbehaveGiven || !ParseMisbehave(value, options.misbehave)) {
                refusal = misbehaveGiven ? "--misbehave is given twice"
                                         : "unknown --misbehave mode '" + value + "'";
                return false;
            }
            misbehaveGiven = true;
        } else if (option == "--stall") {
            const std::size_t equals = value.rfind('=');
            StalledListen stall;
            char* end = nullptr;
            if (equals == std::string::npos) {
                refusal = "--stall wants ADDR[:PORT]=MS, not '" + value + "'";
                return false;
            }
            if (!ParseEndpoint(value.substr(0, equals), stall.endpoint, refusal)) return false;
            const std::string ms = value.substr(equals + 1);
            errno = 0;
            stall.milliseconds = std::strtol(ms.c_str(), &end, 10);
            if (ms.empty() || *end != '\0' || errno != 0 || stall.milliseconds < 0) {
                refusal = "--stall time '" + ms + "' is not a whole number of milliseconds";
                return false;
            }
            options.stalls.push_back(stall);
        }
        return true;
    };
    if (!testserver::ParseCommandLine(argc, argv,
                                      {"--listen", "--taken", "--taken-hex", "--free-remark",
                                       "--free-remark-hex", "--misbehave", "--stall"},
                                      options.life, options.help, take, error)) {
        return false;
    }
    if (options.listens.empty() && options.stalls.empty()) {
        Endpoint endpoint;
        std::string ignored;
        ParseEndpoint("127.0.0.1", endpoint, ignored);
        options.listens.push_back(endpoint);
    }
    return true;
}

}  // namespace standin
