#pragma once
// Where the files of an update come from and where they go: the base address the list names, the
// address of each entry on the update server, the file each download is written to, and the file
// each verified download replaces.
//
// No local name is ever taken from the network's answers (a redirect's target, a request path):
// every file the update writes lies under the program folder's download folder, named after its
// entry, or is the entry's own file in the program folder. Entries are checked with
// IsSafeEntryName (entry_names.h) before they get here; a name that fails it gets no path at all.
//
//   entry "TesselRes/Skin/a.png"  ->  <base>/TesselRes/Skin/a.png
//                                     <program>\UpdateDownLoad\TesselRes\Skin\a.png   (download)
//                                     <program>\TesselRes\Skin\a.png                  (install)
//   entry "Quarnel.exe"           ->  <base>/Quarnel.dll
//                                     <program>\UpdateDownLoad\Quarnel.dll            (download)
//                                     <program>\UpdateDownLoad\Quarnel.exe            (verified)
//   The launcher is never installed over the running one: start-up swaps the verified copy in.

#include <string>
#include <string_view>

namespace gatevane {

// Whether `address` is a plain http base address: "http://", a host of letters, digits, '-' and
// '.', an optional ":port" (1..65535), and a path that begins with '/' and holds only what a URL
// path carries as it is (letters, digits, - . _ ~ ! $ & ' ( ) * + , ; = : @ / and %XX escapes),
// without "." or ".." segments. No query, fragment, user name, backslash or other scheme. A base
// address without a trailing slash is plain too: the entry's name follows a slash either way.
bool IsPlainBaseAddress(std::string_view address);

// The address of entry `entryName` under a plain `baseAddress`: the base, a '/' unless it ends in
// one, and the served name (ServedEntryName) with '\' turned into '/' and every byte a URL path
// cannot carry as it is (spaces, '%', '#', GBK bytes, ...) escaped as %XX.
std::string FileUrl(std::string_view baseAddress, std::string_view entryName);

// The file a download of `entryName` is written to, resumed from and verified in:
// <program>\UpdateDownLoad\ and the served name with '\' between folders.
std::string DownloadPath(std::string_view programFolder, std::string_view entryName);

// Where a verified download waits to be installed: the launcher as UpdateDownLoad\Quarnel.exe, the
// name start-up looks for, any other entry at its download path.
std::string ReadyPath(std::string_view programFolder, std::string_view entryName);

// The file a verified download replaces: the program folder, a backslash, the name with '\'
// between folders. Empty for the launcher, which start-up swaps in.
std::string InstallPath(std::string_view programFolder, std::string_view entryName);

// The folder of `path`: the text before its last '\', which is never the trail byte of a GBK
// character. Empty when there is none.
std::string ParentFolder(std::string_view path);

}  // namespace gatevane
