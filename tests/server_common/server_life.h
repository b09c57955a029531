#pragma once
// What every native test server shares so that the Windows tests can run it through Wine, where
// they get no process handle: a ready file written once it listens, a stop file it watches, a
// lifetime after which it ends by itself, and an event log flushed line by line.

#include <cstdio>
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
