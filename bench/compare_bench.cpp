// compare_bench FOLDER LISTFILE [RUNS]: the update-list comparison's checksum pass over a program
// folder. LISTFILE is in md5sum's format ("CHECKSUM  RELATIVE/PATH" per line); every file is
// checksummed with FileMd5Hex under the path the comparison builds (program folder, "/", the local
// entry name) and compared with its line, RUNS times (default 3).
//
// Prints "FILES MISMATCHES SECONDS MIB_PER_S OPEN_SECONDS": the best run's time for the checksum
// pass alone (the list is read before the clock starts), the bytes checksummed over it, and the
// best time of a pass that only opens and closes every file as FileMd5Hex does (what the files'
// number costs, apart from their bytes).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <windows.h>

#include "launcher/update/file_md5_win.h"
#include "launcher/update/update_list.h"

namespace {

struct Entry {
    std::string checksum;
    std::string path;
};

std::vector<Entry> ReadList(const char* listFile, const std::string& folder) {
    std::vector<Entry> entries;
    std::ifstream list(listFile);
    std::string line;
    while (std::getline(list, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() < 35 || line.compare(32, 2, "  ") != 0) continue;
        entries.push_back(
            {line.substr(0, 32), folder + "/" + line.substr(34)});
    }
    return entries;
}

template <typename Pass>
double BestSeconds(int runs, const Pass& pass) {
    double best = 0;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        pass();
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
        if (run == 0 || seconds.count() < best) best = seconds.count();
    }
    return best;
}

long long FileBytes(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return static_cast<long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: compare_bench FOLDER LISTFILE [RUNS]\n", stderr);
        return 2;
    }
    const std::vector<Entry> entries = ReadList(argv[2], argv[1]);
    if (entries.empty()) {
        std::fprintf(stderr, "compare_bench: no entries in %s\n", argv[2]);
        return 1;
    }
    long long bytes = 0;
    for (const Entry& entry : entries) bytes += FileBytes(entry.path);
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    int mismatches = 0;
    const double best = BestSeconds(runs, [&] {
        mismatches = 0;
        for (const Entry& entry : entries) {
            // As the comparison: a file that cannot be read has no checksum and never matches.
            const std::string actual = gatevane::FileMd5Hex(entry.path.c_str());
            if (actual.empty() || actual != entry.checksum) ++mismatches;
        }
    });
    const double open = BestSeconds(runs, [&] {
        for (const Entry& entry : entries) {
            HANDLE file = ::CreateFileA(entry.path.c_str(), GENERIC_READ, FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
            if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
        }
    });
    std::printf("%zu %d %.3f %.1f %.3f\n", entries.size(), mismatches, best,
                static_cast<double>(bytes) / (1024.0 * 1024.0) / best, open);
    return 0;
}
