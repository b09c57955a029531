#include "tests/support/lobby_record.h"

#include <windows.h>

#include <cstdio>

#include "launcher/update/scramble.h"
#include "tests/support/test_folder.h"

namespace gatevane::testing {

std::string LobbyLogonIn(const std::string& folder) {
    const std::string record = folder + "\\Quarnel.run.cmdline";
    auto written = [&record] {
        return ::GetFileAttributesA(record.c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    if (!WaitUntil(5000, written)) return "<not started>";
    std::string text;
    if (FILE* file = std::fopen(record.c_str(), "rb")) {
        char buffer[2048];
        text.assign(buffer, std::fread(buffer, 1, sizeof buffer, file));
        std::fclose(file);
    }
    const std::size_t start = text.find('[') + 1;  // "command line: [...]"
    const std::string line = text.substr(start, text.find(']', start) - start);
    if (line.empty() || line[0] != ' ') return line;
    char plain[256] = {};
    UnscrambleText(line.substr(1), plain, sizeof plain);
    return plain;
}

}  // namespace gatevane::testing
