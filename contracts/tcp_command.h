#pragma once

#include <cstdint>

namespace gatevane {

// A message's label on a connection of the TCP socket component: what its body is.
struct TcpCommand {
    std::uint16_t mainCommand;
    std::uint16_t subCommand;
};

}  // namespace gatevane
