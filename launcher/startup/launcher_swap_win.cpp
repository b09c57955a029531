#include "launcher/startup/launcher_swap_win.h"

#include <windows.h>

#include "launcher/common/ansi_text.h"
#include "base/unique_handle_win.h"
#include "launcher/startup/process_control_win.h"
#include "launcher/startup/program_folder_win.h"

namespace gatevane {
namespace {

constexpr char kInstanceName[] = "Quarnel";
constexpr char kPendingTail[] = "/UpdateDownLoad/Quarnel.exe";
constexpr char kCurrentTail[] = "/Quarnel.exe";
constexpr char kSwapTail[] = "\\QuarnelOld.exe";
constexpr char kRestoreTail[] = "/Quarnel.exe.restore";
constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
// The old launcher ends right after starting the swap; a virus scanner may hold a fresh file for
// a moment. Both waits are bounded.
constexpr DWORD kOldLauncherWaitMs = 5000;
constexpr DWORD kMoveAttempts = 25;
constexpr DWORD kMoveRetryMs = 200;

std::string RunningPath() {
    char path[kPathCapacity] = {};
    ::GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

bool IsFile(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether nothing holds `path` against being moved right now.
bool IsMovable(const std::string& path) {
    UniqueFileHandle file(::CreateFileA(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, 0,
                                        nullptr));
    return static_cast<bool>(file);
}

bool MoveWithRetries(const std::string& from, const std::string& to) {
    for (DWORD attempt = 0; attempt < kMoveAttempts; ++attempt) {
        if (::MoveFileExA(from.c_str(), to.c_str(), kReplace)) return true;
        ::Sleep(kMoveRetryMs);
    }
    return false;
}

// Puts the launcher this copy was made from back as Quarnel.exe, through a whole copy moved over
// it, so Quarnel.exe is never half written.
bool RestoreOldLauncher(const std::string& current) {
    const std::string restore = ProgramFolderPath(kRestoreTail);
    return ::CopyFileA(RunningPath().c_str(), restore.c_str(), FALSE) &&
           ::MoveFileExA(restore.c_str(), current.c_str(), kReplace);
}

}  // namespace

bool RunningAsLauncherSwap() {
    return EqualIgnoringCase(RunningPath(), ProgramFolderPath(kSwapTail));
}

bool BeginLauncherSwap(const std::string& commandLine) {
    const std::string pending = ProgramFolderPath(kPendingTail);
    if (!IsFile(pending) || !IsMovable(pending)) return false;
    const std::string swap = ProgramFolderPath(kSwapTail);
    if (!::CopyFileA(RunningPath().c_str(), swap.c_str(), FALSE)) return false;
    if (LaunchProcess(swap.c_str(), commandLine)) return true;
    ::DeleteFileA(swap.c_str());
    return false;
}

void CompleteLauncherSwap(const std::string& commandLine) {
    UniqueKernelHandle instance(::CreateMutexA(nullptr, FALSE, kInstanceName));
    const DWORD wait = instance ? ::WaitForSingleObject(instance.get(), kOldLauncherWaitMs)
                                : WAIT_FAILED;
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return;  // the old one still runs

    const std::string pending = ProgramFolderPath(kPendingTail);
    const std::string current = ProgramFolderPath(kCurrentTail);
    const bool swapped = IsFile(pending) && MoveWithRetries(pending, current);
    ::ReleaseMutex(instance.get());
    instance.reset();
    if (LaunchProcess(current.c_str(), commandLine) || !swapped) return;
    // The new launcher cannot start: the old one takes its place again.
    if (RestoreOldLauncher(current)) LaunchProcess(current.c_str(), commandLine);
}

}  // namespace gatevane
