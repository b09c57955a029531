#pragma once
// The command line of the logon server stand-in (see kUsageText in logon_server_standin.cpp).

#include <netinet/in.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/server_common/server_life.h"

namespace standin {

constexpr std::uint16_t kDefaultPort = 9005;

struct Endpoint {
    in_addr address{};
    std::uint16_t port = kDefaultPort;
    std::string text;  // "127.0.0.2:19005", as logged
};

struct StalledListen {
    Endpoint endpoint;
    long milliseconds = 0;  // 0: the stall never ends
};

enum class Misbehave { kNone, kWrongSize, kOtherCommand, kGarbage, kSilent, kClose };

struct Options {
    bool help = false;
    std::vector<Endpoint> listens;
    std::vector<StalledListen> stalls;
    std::map<std::string, std::string> taken;  // name bytes -> remark bytes
    std::string freeRemark;
    Misbehave misbehave = Misbehave::kNone;
    testserver::LifeOptions life;
};

// Fills `options` from the command line; on a wrong argument returns false with `error` saying
// what is wrong.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);

// "ab", "41", "c0ee" -> bytes; false unless the text is an even number of hex digits.
bool DecodeHex(const std::string& hex, std::string& bytes);

}  // namespace standin
