#include "launcher/update/update_error_log_win.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "base/unique_handle_win.h"
#include "launcher/startup/program_folder_win.h"

namespace gatevane {

void AppendUpdateError(const char* line) {
    char folder[kPathCapacity] = {};
    ::GetCurrentDirectoryA(sizeof folder, folder);
    const std::string path = std::string(folder) + "\\UpdateError.log";
    UniqueFileHandle log(::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log) return;
    const std::string text = std::string(line) + "\r\n";
    DWORD written = 0;
    ::WriteFile(log.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace gatevane
