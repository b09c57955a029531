#pragma once
// The pet's command line: "/Title:<window title>" names the top-level window the pet watches and
// tells about clicks. Tokens are separated by single spaces, so the title itself has none.

#include <string>
#include <string_view>

namespace ostrelpet {

// The rest of the first space-separated token that begins with "/Title:" (case-sensitive); empty
// when no token does. The text is ANSI (code page 936): a double-byte character is never split.
std::string ParseTitleSwitch(std::string_view commandLine);

}  // namespace ostrelpet
