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

std::optional<int> ServerLineToStore(int index, int selectedLine) {
    int line = IsLine(index) ? index : 0;
    if (line == selectedLine) return std::nullopt;
    return line;
}

}  // namespace gatevane
