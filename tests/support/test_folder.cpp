#include "tests/support/test_folder.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace gatevane::testing {
namespace {

std::string RunFolder() {
    const char* fromRunner = std::getenv("GATEVANE_TEST_DIR");
    if (fromRunner && *fromRunner) return fromRunner;
    char temp[MAX_PATH];
    ::GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + "gatevane-tests";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(path.c_str());
            }
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryA(folder.c_str());
}

std::string ParentOf(const std::string& path) {
    std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

}  // namespace

std::string BuildFolder() {
    char path[MAX_PATH];
    ::GetModuleFileNameA(nullptr, path, sizeof path);
    return ParentOf(path);
}

TestFolder::TestFolder() {
    static std::atomic<int> counter{0};
    path_ = RunFolder() + "\\case" + std::to_string(::GetCurrentProcessId()) + "_" +
            std::to_string(counter++);
    RemoveTree(path_);
    if (!::CreateDirectoryA(path_.c_str(), nullptr)) {
        throw std::runtime_error("cannot make the test folder " + path_);
    }
}

TestFolder::~TestFolder() {
    RemoveTree(path_);
}

std::string TestFolder::Path(const std::string& relative) const {
    std::string path = path_ + "\\" + relative;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

void TestFolder::MakeFolder(const std::string& relative) const {
    std::string folder = Path(relative);
    for (std::size_t at = path_.size() + 1; at != std::string::npos;) {
        at = folder.find('\\', at + 1);
        ::CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
    }
}

void TestFolder::CopyBuilt(const std::string& builtName, const std::string& relative) const {
    std::string target = Path(relative);
    if (ParentOf(target) != path_) MakeFolder(ParentOf(relative));
    std::string source = BuildFolder() + "\\" + builtName;
    if (!::CopyFileA(source.c_str(), target.c_str(), FALSE)) {
        throw std::runtime_error("cannot copy " + source + " to " + target);
    }
}

void TestFolder::Write(const std::string& relative, const std::string& content) const {
    std::ofstream(Path(relative), std::ios::binary) << content;
}

std::string TestFolder::Read(const std::string& relative) const {
    std::ifstream file(Path(relative), std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

bool TestFolder::Exists(const std::string& relative) const {
    return ::GetFileAttributesA(Path(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
}

CurrentDirectory::CurrentDirectory(const std::string& folder) {
    char previous[MAX_PATH];
    ::GetCurrentDirectoryA(sizeof previous, previous);
    previous_ = previous;
    ::SetCurrentDirectoryA(folder.c_str());
}

CurrentDirectory::~CurrentDirectory() {
    ::SetCurrentDirectoryA(previous_.c_str());
}

bool WaitUntil(int milliseconds, const std::function<bool()>& condition) {
    for (int waited = 0;; waited += 20) {
        if (condition()) return true;
        if (waited >= milliseconds) return false;
        ::Sleep(20);
    }
}

UniqueKernelHandle StartProgram(const std::string& program, const std::string& folder,
                                const std::string& arguments) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"" + program + "\" " + arguments;
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &process)) {
        return {};
    }
    ::CloseHandle(process.hThread);
    return UniqueKernelHandle(process.hProcess);
}

bool EndsWithin(const UniqueKernelHandle& process, int milliseconds, unsigned long* exitCode) {
    if (::WaitForSingleObject(process.get(), static_cast<DWORD>(milliseconds)) != WAIT_OBJECT_0) {
        return false;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process.get(), &code);
    if (exitCode) *exitCode = code;
    return true;
}

HWND ShownWindowOf(DWORD processId, const char* windowClass) {
    for (HWND window = ::FindWindowExA(nullptr, nullptr, windowClass, nullptr); window;
         window = ::FindWindowExA(nullptr, window, windowClass, nullptr)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == processId && ::IsWindowVisible(window)) return window;
    }
    return nullptr;
}

}  // namespace gatevane::testing
