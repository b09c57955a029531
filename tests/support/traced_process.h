#pragma once
// Runs a program as its debugger, to see what it writes to the debugger output, and bounds the
// wait: a program still running at the deadline is ended and reported as timed out.

#include <string>
#include <vector>

namespace gatevane::testing {

struct TracedRun {
    bool started = false;
    bool timedOut = false;
    unsigned long exitCode = 0;
    std::vector<std::string> debugLines;  // each OutputDebugString text, without its line end

    bool Said(const std::string& part) const;
};

// `commandLine` is passed as the program receives it after its name (may be empty). A program
// that opens a window of class `closeClass` (if given) is asked to close it, as a person would
// with the window's close command, once it shows.
TracedRun RunTraced(const std::string& program, const std::string& commandLine,
                    const std::string& folder, int timeoutMilliseconds = 20000,
                    const char* closeClass = nullptr);

}  // namespace gatevane::testing
