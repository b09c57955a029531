// run_traced PROGRAM [ARGUMENTS]: runs a program in the current folder and prints what it writes to
// the debugger output, then its exit code. The demo uses it to show the launcher's start-up.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/support/traced_process.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: run_traced PROGRAM [ARGUMENTS]\n", stderr);
        return 2;
    }
    std::string arguments;
    for (int i = 2; i < argc; ++i) arguments += (i > 2 ? " " : "") + std::string(argv[i]);
    char folder[260];
    ::GetCurrentDirectoryA(sizeof folder, folder);
    auto run = gatevane::testing::RunTraced(argv[1], arguments, folder, 60000);
    if (!run.started) {
        std::fprintf(stderr, "run_traced: cannot start %s\n", argv[1]);
        return 1;
    }
    for (const std::string& line : run.debugLines) std::printf("  debug: %s\n", line.c_str());
    std::printf("  %s %s\n", argv[1],
                run.timedOut ? "did not end within 60 s"
                             : ("ended with exit code " + std::to_string(run.exitCode)).c_str());
    return run.timedOut ? 1 : 0;
}
