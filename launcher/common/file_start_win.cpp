#include "launcher/common/file_start_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "base/unique_handle_win.h"

namespace gatevane {

std::optional<std::string> ReadFileStart(const std::string& path, std::size_t limit) {
    UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    // Room for the file as it is and a byte more, grown up to the limit when the file grew: a small
    // file costs no more than itself.
    LARGE_INTEGER fileSize{};
    const std::size_t expected = ::GetFileSizeEx(file.get(), &fileSize) &&
                                         static_cast<std::uint64_t>(fileSize.QuadPart) < limit
                                     ? static_cast<std::size_t>(fileSize.QuadPart)
                                     : limit;
    std::string text(expected + 1, '\0');
    std::size_t size = 0;
    for (;;) {
        if (size == text.size()) {
            if (text.size() > limit) break;
            text.resize(std::min(2 * text.size(), limit + 1));
        }
        DWORD read = 0;
        if (!::ReadFile(file.get(), &text[size], static_cast<DWORD>(text.size() - size), &read,
                        nullptr)) {
            return std::nullopt;
        }
        if (read == 0) break;
        size += read;
    }
    text.resize(size);
    return text;
}

}  // namespace gatevane
