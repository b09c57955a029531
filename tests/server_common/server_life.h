#pragma once
// What every native test server shares so that the Windows tests can run it through Wine, where
// they get no process handle: a ready file written once it listens, a stop file it watches, a
// lifetime after which it ends by itself, and an event log flushed line by line.

#include <cstdio>
#include <functional>
#include <initializer_list>
#include <string>

namespace testserver {

struct LifeOptions {
    std::string readyFile;
    std::string stopFile;
    std::string logPath;
    double lifetimeSeconds = 120;
};

// The options of LifeOptions with their values, for a server's option parser.
bool IsLifeOption(const std::string& option);
// Takes one of them; false with `error` set when its value is not acceptable.
bool ParseLifeOption(const std::string& option, const std::string& value, LifeOptions& options,
                     std::string& error);

// Takes a server option's value; false with `error` set when it is not acceptable.
using TakeOption =
    std::function<bool(const std::string& option, const std::string& value, std::string& error)>;

// Reads a server's command line: --help or -h sets `help`, the life options go into `life`, and
// every other argument must be one of `serverOptions` followed by its value, handed to `take`.
// False with `error` set at the first argument refused.
bool ParseCommandLine(int argc, char** argv, std::initializer_list<const char*> serverOptions,
                      LifeOptions& life, bool& help, const TakeOption& take, std::string& error);

class ServerLife {
public:
    ServerLife(const char* program, const LifeOptions& options)
        : program_(program), options_(options) {}
    // Removes the ready file, if it was written, and closes the log.
    ~ServerLife();
    ServerLife(const ServerLife&) = delete;
    ServerLife& operator=(const ServerLife&) = delete;

    // Each says on standard error why it failed.
    bool OpenLog();
    bool WriteReadyFile();

    bool StopRequested() const;
    void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    const char* program_;
    const LifeOptions& options_;
    std::FILE* log_ = nullptr;
    bool readyFileWritten_ = false;
};

}  // namespace testserver
