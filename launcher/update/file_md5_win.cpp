#include "launcher/update/file_md5_win.h"

#include <windows.h>

#include <algorithm>
#include <climits>

#include "base/unique_handle_win.h"
#include "launcher/update/checksum_stream.h"

namespace gatevane {

std::string FileMd5Hex(const char* path) {
    UniqueFileHandle file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return {};
    return StreamChecksumText([&file](char* buffer, std::size_t capacity) -> long {
        DWORD read = 0;
        DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(capacity, INT_MAX));
        if (!::ReadFile(file.get(), buffer, wanted, &read, nullptr)) return -1;
        return static_cast<long>(read);
    });
}

}  // namespace gatevane
