#pragma once
// The update's to-do list, LobbyUpdate.log in the program folder: the files that differ from the
// update list, which the download manager fetches. It is an INI file the platform's profile
// functions read and write (older launchers did):
//
//   [UPDATEFILELIST]
//   UPDATEFILECOUNT=2              files to fetch
//   FILENETADDRESS=http://...      the list's base address
//   FileIndex0=Lobby.dll           entry name as in the list, list order
//   FileCheckNum0=9e107d9d...      its checksum
//   FileIndex1=...
//
// The launcher writes the whole file at once and reads it at once: one profile call per key would
// rewrite or reread the file each time, quadratic in the number of files.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/update/update_list.h"

namespace gatevane {

struct ToDoEntry {
    std::string name;
    std::string checksum;
};

struct ToDoList {
    std::string address;
    std::vector<ToDoEntry> entries;
};

// The to-do list of an update list: its entries, in list order, whose file in the program folder
// differs. `localChecksum(name)` gives the checksum of the program folder's file of an entry, or
// the empty text when it cannot be read, which matches no MD5 of the list. It is asked once per
// entry, on up to `workers` threads at once (this one among them), so it must be safe to call
// concurrently when `workers` is above 1.
ToDoList StaleEntries(const UpdateList& list,
                      const std::function<std::string(const std::string& name)>& localChecksum,
                      unsigned workers = 1);

// The file's text for `list`, lines ending in "\r\n".
std::string FormatToDoFile(const ToDoList& list);

// Reads the file's text as the profile functions would: section and key names without regard to
// case, the first of a repeated key, values to the end of their line. UPDATEFILECOUNT is read as a
// leading decimal number (0 when none) and bounded to 65535; a missing entry reads as empty. The
// list is hostile input like the update list it came from: an entry whose name fails
// IsSafeEntryName or whose checksum is not 32 lowercase hexadecimal digits is left out (it could
// never be written safely or verified), and so is every entry when the address is not a plain base
// address.
ToDoList ParseToDoFile(std::string_view text);

}  // namespace gatevane
