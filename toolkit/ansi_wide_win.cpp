#include "toolkit/ansi_wide_win.h"

namespace ui {

namespace {

std::wstring Widen(std::string_view text, UINT codePage, DWORD flags) {
    if (text.empty()) return {};
    int length = static_cast<int>(text.size());
    int size = ::MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    std::wstring wide(size > 0 ? size : 0, L'\0');
    if (size > 0) ::MultiByteToWideChar(codePage, flags, text.data(), length, wide.data(), size);
    return wide;
}

}  // namespace

std::wstring WidenAnsi(std::string_view text) {
    return Widen(text, CP_ACP, 0);
}

std::wstring WidenUtf8(std::string_view text) {
    return Widen(text, CP_UTF8, MB_ERR_INVALID_CHARS);
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
