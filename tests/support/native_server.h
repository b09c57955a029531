#pragma once
// A native Linux test server (the logon server stand-in, the HTTP fault server), started through
// Wine for one test: it listens on loopback with the options given, and is stopped when the object
// goes.

#include <string>
#include <vector>

#include "tests/support/test_folder.h"

namespace gatevane::testing {

class NativeServer {
public:
    // `programVariable` names the environment variable that holds the program's path (ctest sets
    // it); `options` as the program takes them (for example {"--listen", "127.0.0.3"}). Waits
    // until it listens; throws when it does not within a few seconds.
    NativeServer(const char* programVariable, const std::vector<std::string>& options);
    ~NativeServer();
    NativeServer(const NativeServer&) = delete;
    NativeServer& operator=(const NativeServer&) = delete;

    // The stand-in's log so far: one line per event it saw.
    std::string Log() const;
    // How many lines of the log contain `part`.
    int Count(const std::string& part) const;

private:
    TestFolder folder_;
};

// The logon server stand-in.
class LogonServer : public NativeServer {
public:
    explicit LogonServer(const std::vector<std::string>& options)
        : NativeServer("GATEVANE_LOGON_SERVER", options) {}
};

// The HTTP server that misbehaves on purpose.
class HttpFaultServer : public NativeServer {
public:
    explicit HttpFaultServer(const std::vector<std::string>& options)
        : NativeServer("GATEVANE_HTTP_FAULT_SERVER", options) {}
};

// Debian's nginx behind its wrapper: a web server that behaves, with byte ranges and the redirect
// paths /relative-redirect/ and /absolute-redirect/.
class NginxServer : public NativeServer {
public:
    explicit NginxServer(const std::vector<std::string>& options)
        : NativeServer("GATEVANE_NGINX_SERVER", options) {}
};

// A folder of this machine as the native servers see it: "Z:\tmp\x" becomes "/tmp/x".
std::string UnixPath(const std::string& windowsPath);

// Pumps this thread's messages until `condition` holds or `milliseconds` have passed.
bool PumpMessagesUntil(int milliseconds, const std::function<bool()>& condition);

}  // namespace gatevane::testing
