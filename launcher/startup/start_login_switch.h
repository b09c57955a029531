#pragma once
// The launcher's own command line: "/StartLogin:1" asks it to skip the update check (the lobby
// restarts the launcher this way after it has already updated).

#include <string_view>

namespace gatevane {

// The number after the first space-separated token that begins with "/StartLogin:"
// (case-sensitive), read like the C library's atoi; 0 when there is no such token or no number
// behind it.
int ParseStartLogin(std::string_view commandLine);

// Whether the login window should run the update check for this command line.
bool UpdateCheckWanted(std::string_view commandLine);

}  // namespace gatevane
