#include "launcher/startup/server_lines.h"

namespace gatevane {
namespace {

bool IsLine(int index) {
    return index >= 0 && index < kServerLineCount;
}

}  // namespace

int ServerEntryIndex(int index, int& selectedLine) {
    if (index >= 0) return IsLine(index) ? index : 0;
    if (!IsLine(selectedLine)) selectedLine = 0;
    return selectedLine;
}

const char* LineOptionForEntry(int index) {
    if (index == 5 || index == 6) return "LogonLine0";
    if (index == 7 || index == 8) return "LogonLine2";
    return "LogonLineAuto";
}

std::optional<int> ServerLineToStore(int index, int selectedLine) {
    int line = IsLine(index) ? index : 0;
    if (line == selectedLine) return std::nullopt;
    return line;
}

}  // namespace gatevane
