#pragma once
// The toolkit keeps texts in the system's ANSI code page (936); the platform's drawing, edit
// boxes, XML reader, image codecs and COM speak UTF-16. These convert between the two.

#include <windows.h>

#include <string>
#include <string_view>

namespace ui {

std::wstring WidenAnsi(std::string_view text);
// Strict UTF-8: the empty text for bytes that are not UTF-8.
std::wstring WidenUtf8(std::string_view text);
std::string NarrowToAnsi(std::wstring_view text);

}  // namespace ui
