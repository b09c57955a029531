// login_bench: the launcher's start-up as a player feels it, timed from outside the process.
//
//   login_bench window PROGRAM CLASS [ARGUMENTS]
//       prints "MILLISECONDS WORKING_SET_KIB": the time from the process's start until its window
//       of CLASS shows, and its working set after a second of idling there; then closes it.
//   login_bench update PROGRAM
//       prints "MILLISECONDS": the time from the launcher's start until its update state reads
//       "更新完成" (the update check found nothing to fetch); then closes it.
// Every wait is bounded (two minutes); a program that does not get there ends the run with 1.
#include <windows.h>
#include <objbase.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "tests/support/test_folder.h"
#include "tests/support/ui_automation.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kLimitMs = 120000;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void CloseAndWait(HWND window, const gatevane::UniqueKernelHandle& process) {
    ::PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (!gatevane::testing::EndsWithin(process, 10000)) ::TerminateProcess(process.get(), 1);
}

std::string FolderOf(const std::string& program) {
    return program.substr(0, program.find_last_of("\\/"));
}

int TimeWindow(const std::string& program, const char* windowClass, const std::string& arguments) {
    const Clock::time_point start = Clock::now();
    gatevane::UniqueKernelHandle process =
        gatevane::testing::StartProgram(program, FolderOf(program), arguments);
    if (!process) return 1;
    HWND window = nullptr;
    const bool shown = gatevane::testing::WaitUntil(kLimitMs, [&] {
        window = gatevane::testing::ShownWindowOf(::GetProcessId(process.get()), windowClass);
        return window != nullptr;
    });
    const double elapsed = MillisecondsSince(start);
    if (!shown) return 1;
    ::Sleep(1000);
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    ::GetProcessMemoryInfo(process.get(), &memory, sizeof memory);
    std::printf("%.1f %zu\n", elapsed, static_cast<std::size_t>(memory.WorkingSetSize / 1024));
    CloseAndWait(window, process);
    return 0;
}

int TimeNoOpUpdate(const std::string& program) {
    const Clock::time_point start = Clock::now();
    gatevane::UniqueKernelHandle process =
        gatevane::testing::StartProgram(program, FolderOf(program));
    if (!process) return 1;
    std::optional<gatevane::testing::UiWindow> window =
        gatevane::testing::UiWindow::Find("GameLogin", kLimitMs);
    if (!window) return 1;
    bool done = false;
    gatevane::testing::WaitUntil(kLimitMs, [&] {
        done = window->Name("UpdateState") == "更新完成";
        return done;
    });
    const double elapsed = MillisecondsSince(start);
    if (!done) return 1;
    std::printf("%.1f\n", elapsed);
    CloseAndWait(window->handle(), process);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::string mode = argc > 2 ? argv[1] : "";
    if (mode == "window" && argc >= 4) return TimeWindow(argv[2], argv[3], argc > 4 ? argv[4] : "");
    if (mode == "update" && argc == 3) return TimeNoOpUpdate(argv[2]);
    std::fputs("usage: login_bench window PROGRAM CLASS [ARGUMENTS] | update PROGRAM\n", stderr);
    return 2;
}
