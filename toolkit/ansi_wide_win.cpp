#include "toolkit/ansi_wide_win.h"

namespace ui {

std::wstring WidenAnsi(std::string_view text) {
    if (text.empty()) return {};
    int length = static_cast<int>(text.size());
    int size = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring wide(size > 0 ? size : 0, L'\0');
    if (size > 0) ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), size);
    return wide;
}

std::string NarrowToAnsi(std::wstring_view text) {
    if (text.empty()) return {};
    int length = static_cast<int>(text.size());
    int size = ::WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string narrow(size > 0 ? size : 0, '\0');
    if (size > 0) {
        ::WideCharToMultiByte(CP_ACP, 0, text.data(), length, narrow.data(), size, nullptr,
                              nullptr);
    }
    return narrow;
}

}  // namespace ui
