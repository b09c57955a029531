#include "tests/support/traced_process.h"

#include <windows.h>

#include <algorithm>

#include "tests/support/test_folder.h"

namespace gatevane::testing {
namespace {

std::string ReadDebugString(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info) {
    if (info.fUnicode || info.nDebugStringLength == 0) return {};
    std::string text(info.nDebugStringLength, '\0');
    SIZE_T read = 0;
    ::ReadProcessMemory(process, info.lpDebugStringData, text.data(), text.size(), &read);
    text.resize(read);
    while (!text.empty() && (text.back() == '\0' || text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

// Sends the close command to a visible window of `windowClass` that belongs to `processId`; true
// when there was one.
bool CloseWindowOf(DWORD processId, const char* windowClass) {
    HWND window = ShownWindowOf(processId, windowClass);
    if (window) ::PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return window != nullptr;
}

}  // namespace

bool TracedRun::Said(const std::string& part) const {
    for (const std::string& line : debugLines) {
        if (line.find(part) != std::string::npos) return true;
    }
    return false;
}

TracedRun RunTraced(const std::string& program, const std::string& commandLine,
                    const std::string& folder, int timeoutMilliseconds, const char* closeClass) {
    TracedRun run;
    std::string line = "\"" + program + "\"" + (commandLine.empty() ? "" : " " + commandLine);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE,
                          DEBUG_ONLY_THIS_PROCESS, nullptr, folder.c_str(), &startup, &process)) {
        return run;
    }
    run.started = true;
    ::CloseHandle(process.hThread);

    const DWORD deadline = ::GetTickCount() + static_cast<DWORD>(timeoutMilliseconds);
    for (;;) {
        const long left = static_cast<long>(deadline - ::GetTickCount());
        if (left <= 0) {
            run.timedOut = true;
            ::TerminateProcess(process.hProcess, 1);
            ::DebugActiveProcessStop(process.dwProcessId);
            break;
        }
        DEBUG_EVENT event{};
        const DWORD slice = closeClass ? std::min(left, 100L) : left;
        if (!::WaitForDebugEvent(&event, slice)) {
            if (closeClass && CloseWindowOf(process.dwProcessId, closeClass)) closeClass = nullptr;
            continue;
        }
        DWORD continueStatus = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
            case CREATE_PROCESS_DEBUG_EVENT:
                if (event.u.CreateProcessInfo.hFile) ::CloseHandle(event.u.CreateProcessInfo.hFile);
                break;
            case LOAD_DLL_DEBUG_EVENT:
                if (event.u.LoadDll.hFile) ::CloseHandle(event.u.LoadDll.hFile);
                break;
            case OUTPUT_DEBUG_STRING_EVENT:
                run.debugLines.push_back(ReadDebugString(process.hProcess, event.u.DebugString));
                break;
            case EXCEPTION_DEBUG_EVENT:
                if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
                    continueStatus = DBG_EXCEPTION_NOT_HANDLED;
                }
                break;
            case EXIT_PROCESS_DEBUG_EVENT:
                run.exitCode = event.u.ExitProcess.dwExitCode;
                break;
            default:
                break;
        }
        ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, continueStatus);
        if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) break;
    }
    ::WaitForSingleObject(process.hProcess, 5000);
    ::CloseHandle(process.hProcess);
    return run;
}

}  // namespace gatevane::testing
