#pragma once
// The logon server stand-in (a native Linux program, started through Wine) for one test: it listens
// on loopback addresses with the options given, and is stopped when the object goes.

#include <string>
#include <vector>

#include "tests/support/test_folder.h"

namespace gatevane::testing {

class LogonServer {
public:
    // `options` as the stand-in takes them (for example {"--listen", "127.0.0.3"}). Waits until it
    // listens; throws when it does not within a few seconds.
    explicit LogonServer(const std::vector<std::string>& options);
    ~LogonServer();
    LogonServer(const LogonServer&) = delete;
    LogonServer& operator=(const LogonServer&) = delete;

    // The stand-in's log so far: one line per event it saw.
    std::string Log() const;
    // How many lines of the log contain `part`.
    int Count(const std::string& part) const;

private:
    TestFolder folder_;
};

// Pumps this thread's messages until `condition` holds or `milliseconds` have passed.
bool PumpMessagesUntil(int milliseconds, const std::function<bool()>& condition);

}  // namespace gatevane::testing
