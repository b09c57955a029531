#pragma once
// What the lobby host stand-in (Quarnel.run) wrote down of its start, read back as the lobby would
// take it.

#include <string>

namespace gatevane::testing {

// The logon the lobby started in `folder` received, unscrambled; its command line as it is when it
// carries no logon (at most the program's name); "<not started>" when no lobby wrote its record
// within 5 seconds.
std::string LobbyLogonIn(const std::string& folder);

}  // namespace gatevane::testing
