#pragma once
// Starting and ending other processes of the game hall.

#include <string>

namespace gatevane {

// Ends the first running process whose executable file name equals `fileName` (letter case
// ignored). True when one was found; whether it could be opened and ended is not examined.
bool EndProcessByName(const char* fileName);

// Starts the program at `path`, with `arguments` after its quoted path on the command line (an
// empty command line when there are none), and does not wait for it. On failure shows
// "创建宿主进程失败!(<path>)" in a plain message box and returns false.
bool LaunchProcess(const char* path, const std::string& arguments);

// Starts the program at `path` with exactly `commandLine` (the program's name is not put in front)
// and does not wait for it; false, with nothing shown, when it cannot start.
bool StartProgram(const char* path, std::string commandLine);

}  // namespace gatevane
