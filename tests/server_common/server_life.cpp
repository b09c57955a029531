#include "tests/server_common/server_life.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace testserver {

bool IsLifeOption(const std::string& option) {
    return option == "--ready-file" || option == "--stop-file" || option == "--log" ||
           option == "--lifetime";
}

bool ParseLifeOption(const std::string& option, const std::string& value, LifeOptions& options,
                     std::string& error) {
    if (option == "--ready-file") {
        options.readyFile = value;
    } else if (option == "--stop-file") {
        options.stopFile = value;
    } else if (option == "--log") {
        options.logPath = value;
    } else if (option == "--lifetime") {
        char* end = nullptr;
        options.lifetimeSeconds = std::strtod(value.c_str(), &end);
        if (value.empty() || *end != '\0' || !std::isfinite(options.lifetimeSeconds) ||
            options.lifetimeSeconds <= 0 || options.lifetimeSeconds > 86400) {
            error =
                "--lifetime wants a number of seconds above 0 (at most 86400), not '" + value + "'";
            return false;
        }
    }
    return true;
}

bool ParseCommandLine(int argc, char** argv, std::initializer_list<const char*> serverOptions,
                      LifeOptions& life, bool& help, const TakeOption& take, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            help = true;
            continue;
        }
        const bool lifeOption = IsLifeOption(option);
        if (!lifeOption && std::none_of(serverOptions.begin(), serverOptions.end(),
                                        [&option](const char* name) { return option == name; })) {
            error = "unknown argument '" + option + "'";
            return false;
        }
        if (i + 1 >= argc) {
            error = option + " needs a value";
            return false;
        }
        const std::string value = argv[++i];
        if (!(lifeOption ? ParseLifeOption(option, value, life, error)
                         : take(option, value, error))) {
            return false;
        }
    }
    return true;
}

ServerLife::~ServerLife() {
    if (readyFileWritten_) std::remove(options_.readyFile.c_str());
    if (log_) std::fclose(log_);
}

bool ServerLife::OpenLog() {
    if (options_.logPath.empty()) return true;
    log_ = std::fopen(options_.logPath.c_str(), "a");
    if (!log_) {
        std::fprintf(stderr, "%s: cannot open log %s: %s\n", program_, options_.logPath.c_str(),
                     std::strerror(errno));
    }
    return log_ != nullptr;
}

bool ServerLife::WriteReadyFile() {
    if (options_.readyFile.empty()) return true;
    // Written aside and renamed, so a test never reads a half-written file.
    const std::string temporary = options_.readyFile + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "w");
    bool written = file && std::fputs("ready\n", file) >= 0;
    if (file && std::fclose(file) != 0) written = false;
    if (!written || std::rename(temporary.c_str(), options_.readyFile.c_str()) != 0) {
        std::fprintf(stderr, "%s: cannot write %s: %s\n", program_, options_.readyFile.c_str(),
                     std::strerror(errno));
        return false;
    }
    readyFileWritten_ = true;
    return true;
}

bool ServerLife::StopRequested() const {
    return !options_.stopFile.empty() && access(options_.stopFile.c_str(), F_OK) == 0;
}

void ServerLife::Log(const char* format, ...) {
    if (!log_) return;
    std::va_list arguments;
    va_start(arguments, format);
    std::vfprintf(log_, format, arguments);
    va_end(arguments);
    std::fputc('\n', log_);
    std::fflush(log_);
}

}  // namespace testserver
