#pragma once
// What the Windows benchmarks share: WSAStartup as the launcher does it, a message loop with a time
// limit (the update engine reports through window messages, so a benchmark pumps until its job is
// done), and the process's peak working set.

// winsock2.h before windows.h, which would otherwise bring in the old winsock.h.
#include <winsock2.h>

#include <windows.h>
#include <psapi.h>

#include <cstdio>

namespace gatevane::bench {

// Winsock 1.1, as the launcher asks for it at start-up.
inline bool StartWinsock() {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

inline void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) {
    std::fputs("bench: time limit reached\n", stderr);
    std::fflush(stderr);
    ::ExitProcess(3);
}

// Dispatches this thread's messages until `done()` holds. After `milliseconds` the process ends
// with exit status 3: a thread timer does it, which a modal message box of the code under test
// dispatches too, so the limit holds wherever the thread is waiting.
template <typename Done>
void PumpUntil(const Done& done, UINT milliseconds) {
    const UINT_PTR timer = ::SetTimer(nullptr, 0, milliseconds, GiveUp);
    MSG message;
    while (!done() && ::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    ::KillTimer(nullptr, timer);
}

// The processor time (user and kernel) this process has used so far, in seconds.
inline double ProcessorSeconds() {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) return -1;
    const auto seconds = [](const FILETIME& time) {
        return static_cast<double>(static_cast<unsigned long long>(time.dwHighDateTime) << 32 |
                                   time.dwLowDateTime) /
               1e7;
    };
    return seconds(kernel) + seconds(user);
}

// The most memory the process has had resident so far, in MiB.
inline double PeakWorkingSetMiB() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) return -1;
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

}  // namespace gatevane::bench
