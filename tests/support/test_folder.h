#pragma once
// A fresh program folder for one test case under the run's temporary folder, with the programs the
// build made at hand.

#include <functional>
#include <string>

#include "base/unique_handle_win.h"

namespace gatevane::testing {

// The folder the test programs and the launcher were built into.
std::string BuildFolder();

class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::string& path() const { return path_; }
    // `relative` inside the folder, with backslashes.
    std::string Path(const std::string& relative) const;

    // Copies a program of the build into the folder under `relative` (folders made as needed).
    void CopyBuilt(const std::string& builtName, const std::string& relative) const;
    void Write(const std::string& relative, const std::string& content) const;
    std::string Read(const std::string& relative) const;
    bool Exists(const std::string& relative) const;
    void MakeFolder(const std::string& relative) const;

private:
    std::string path_;
};

// Makes `folder` the current directory for its lifetime, as the game hall's folder is when the
// launcher reads its settings files.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& folder);
    ~CurrentDirectory();
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::string previous_;
};

// Polls `condition` every 20 ms for at most `milliseconds`; true as soon as it holds.
bool WaitUntil(int milliseconds, const std::function<bool()>& condition);

// Starts `program` (its path) in `folder` with `arguments` after its name, without waiting; the
// handle of the process, or an empty one when it could not start.
UniqueKernelHandle StartProgram(const std::string& program, const std::string& folder,
                                const std::string& arguments = "");

// A visible window of `windowClass` that belongs to the process `processId`, or null.
HWND ShownWindowOf(DWORD processId, const char* windowClass);

// Whether the process has ended within `milliseconds`, and with which exit code.
bool EndsWithin(const UniqueKernelHandle& process, int milliseconds,
                unsigned long* exitCode = nullptr);

}  // namespace gatevane::testing
