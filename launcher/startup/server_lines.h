#pragma once
// The rules for the nine logon server lines of ServerInfo.ini: which entry a request gets and what
// a new selection stores.

#include <optional>

namespace gatevane {

constexpr int kServerLineCount = 9;

// The entry index returned for `index`: an index of 0..8 stands for itself, a larger one for entry
// 0; a negative one asks for the selected line, which is first repaired to 0 (in memory) when it
// lies outside 0..8.
int ServerEntryIndex(int index, int& selectedLine);

// The login window's option that shows the group of entry `index`: entries 5 and 6 form
// "LogonLine0", 7 and 8 "LogonLine2", all others the automatic line "LogonLineAuto".
const char* LineOptionForEntry(int index);

// The line that selecting `index` stores (out-of-range indexes select line 0), or nothing when that
// line is already selected and the file must not be touched.
std::optional<int> ServerLineToStore(int index, int selectedLine);

}  // namespace gatevane
