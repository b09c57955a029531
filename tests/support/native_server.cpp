#include "tests/support/native_server.h"

#include <windows.h>

#include <cstdlib>
#include <stdexcept>

namespace gatevane::testing {
// Wine shows the Linux file system as drive Z:.
std::string UnixPath(const std::string& windowsPath) {
    std::string path = windowsPath.substr(2);
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

namespace {

std::string ServerProgram(const char* variable) {
    const char* program = std::getenv(variable);
    if (!program || !*program) {
        throw std::runtime_error(std::string(variable) +
                                 " does not name the test server (build the native preset, and "
                                 "run the tests through ctest)");
    }
    return program;
}

}  // namespace

NativeServer::NativeServer(const char* programVariable, const std::vector<std::string>& options) {
    std::string commandLine = "\"" + ServerProgram(programVariable) + "\"";
    for (const std::string& option : options) commandLine += " \"" + option + "\"";
    commandLine += " --ready-file \"" + UnixPath(folder_.Path("ready")) + "\"";
    commandLine += " --stop-file \"" + UnixPath(folder_.Path("stop")) + "\"";
    commandLine += " --log \"" + UnixPath(folder_.Path("server.log")) + "\"";
    commandLine += " --lifetime 120";

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // Wine starts Linux programs without a process handle to wait on: the ready and stop files
    // are the only contact.
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        throw std::runtime_error("cannot start " + commandLine);
    }
    if (process.hThread) ::CloseHandle(process.hThread);
    if (process.hProcess) ::CloseHandle(process.hProcess);
    if (!WaitUntil(10000, [this] { return folder_.Exists("ready"); })) {
        throw std::runtime_error("the test server did not start: " + commandLine);
    }
}

NativeServer::~NativeServer() {
    folder_.Write("stop", "");
    WaitUntil(5000, [this] { return !folder_.Exists("ready"); });
}

std::string NativeServer::Log() const {
    return folder_.Read("server.log");
}

int NativeServer::Count(const std::string& part) const {
    const std::string log = Log();
    int count = 0;
    for (std::size_t at = log.find(part); at != std::string::npos; at = log.find(part, at + 1)) {
        ++count;
    }
    return count;
}

bool PumpMessagesUntil(int milliseconds, const std::function<bool()>& condition) {
    const DWORD deadline = ::GetTickCount() + static_cast<DWORD>(milliseconds);
    for (;;) {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        if (condition()) return true;
        if (static_cast<long>(deadline - ::GetTickCount()) <= 0) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

}  // namespace gatevane::testing
