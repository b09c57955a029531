#include "launcher/startup/process_control_win.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>

#include "base/unique_handle_win.h"
#include "launcher/common/ansi_text.h"
#include "launcher/common/plain_message_box_win.h"
#include "launcher/startup/program_folder_win.h"

namespace gatevane {

bool EndProcessByName(const char* fileName) {
    UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot.get(), &entry); more;
         more = ::Process32Next(snapshot.get(), &entry)) {
        if (!EqualIgnoringCase(entry.szExeFile, fileName)) continue;
        UniqueKernelHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
        if (process) ::TerminateProcess(process.get(), 0);
        return true;
    }
    return false;
}

bool LaunchProcess(const char* path, const std::string& arguments) {
    std::string commandLine =
        arguments.empty() ? std::string() : "\"" + std::string(path) + "\" " + arguments;
    if (StartProgram(path, commandLine)) return true;
    char message[kPathCapacity + 64];
    std::snprintf(message, sizeof message, "创建宿主进程失败!(%s)", path);
    ShowPlainMessageBox(message);
    return false;
}

bool StartProgram(const char* path, std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(path, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return false;
    }
    UniqueKernelHandle thread(process.hThread);
    UniqueKernelHandle started(process.hProcess);
    return true;
}

}  // namespace gatevane
