#pragma once
// The names of the update list's entries: which the launcher may write, which entry is the
// launcher itself, under which name the server holds each file, and when two names are one file.
//
// Entry names are paths relative to the program folder, GBK, with '/' or '\' between folders. The
// list comes from the network, so a name is refused unless the file it names provably lies inside
// the program folder, can be stored by Windows under exactly that name, and stays out of the
// download folder the update itself works in.

#include <string>
#include <string_view>

namespace gatevane {

// The launcher's own executable. The update server holds it as "Quarnel.dll": many web servers
// refuse to serve an .exe, so the launcher asks for its replacement under that name.
constexpr std::string_view kLauncherFileName = "Quarnel.exe";
constexpr std::string_view kPublishedLauncherName = "Quarnel.dll";

// The folder of the program folder the update downloads into.
constexpr std::string_view kDownloadFolderName = "UpdateDownLoad";

// Whether the launcher may write a file under `name` inside its program folder: a relative path of
// folder and file names separated by '/' or '\', each of them
//   - not empty, and not ending in a dot or a space (Windows drops those, so "a." would be stored
//     as "a" and ". ." or "..." may mean ".."),
//   - not a DOS device (CON, NUL, COM1, CONOUT$, ... with or without an extension),
//   - free of control characters and of  : * ? " < > |  (drives, streams, wildcards),
// and the first of them is not the download folder. GBK double-byte characters are kept whole:
// their trail byte may be 0x5C ('\') or 0x7C ('|') and separates nothing.
bool IsSafeEntryName(std::string_view name);

// Whether entry `name` is the launcher itself: "Quarnel.exe" at the top of the program folder, in
// any letter case (Windows takes every spelling for the same file). "sub/Quarnel.exe" or
// "NotQuarnel.exe" are ordinary files.
bool IsLauncherEntry(std::string_view name);

// The name the update server holds entry `name` under: the launcher as "Quarnel.dll", any other
// entry as itself.
std::string ServedEntryName(std::string_view name);

// A key equal for two names exactly when Windows takes them for the same file: '\' and '/' alike,
// letters compared without case (ASCII, and GBK's full-width Latin, Greek and Cyrillic letters),
// other double-byte characters byte for byte.
std::string EntryKey(std::string_view name);

}  // namespace gatevane
