#include "launcher/startup/program_folder_win.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace gatevane {

bool GetProgramFolder(char* out, std::uint16_t size) {
    char path[kPathCapacity] = {};
    ::GetModuleFileNameA(nullptr, path, sizeof path);
    if (char* lastSeparator = std::strrchr(path, '\\')) *lastSeparator = '\0';
    if (size > 0) {
        std::size_t length = std::min<std::size_t>(std::strlen(path), size - 1u);
        std::memcpy(out, path, length);
        out[length] = '\0';
    }
    return true;
}

std::string ProgramFolderPath(std::string_view tail) {
    char folder[kPathCapacity];
    GetProgramFolder(folder, sizeof folder);
    std::string path = folder;
    path += tail;
    if (path.size() > kPathCapacity - 1) path.resize(kPathCapacity - 1);
    return path;
}

}  // namespace gatevane
