// file_md5_bench FILE [RUNS]: the launcher's file checksum over FILE, timed. On Windows it runs
// FileMd5Hex itself; natively the same streaming checksum over POSIX reads. Prints the checksum
// and the best throughput of RUNS runs (default 3) in MiB/s, measured inside the process so that
// Wine's start-up does not count.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include "launcher/update/file_md5_win.h"
#else
#include <fcntl.h>
#include <unistd.h>

#include "launcher/update/checksum_stream.h"
#endif

namespace {

std::string Checksum(const char* path) {
#ifdef _WIN32
    return gatevane::FileMd5Hex(path);
#else
    int file = ::open(path, O_RDONLY);
    if (file < 0) return {};
    std::string text = gatevane::StreamChecksumText([file](char* buffer, std::size_t capacity) {
        return static_cast<long>(::read(file, buffer, capacity));
    });
    ::close(file);
    return text;
#endif
}

long long FileSize(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (!file) return -1;
    std::fseek(file, 0, SEEK_END);
    long long size = std::ftell(file);
    std::fclose(file);
    return size;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: file_md5_bench FILE [RUNS]\n", stderr);
        return 2;
    }
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    const double mebibytes = static_cast<double>(FileSize(argv[1])) / (1024.0 * 1024.0);
    double best = 0;
    std::string checksum;
    for (int run = 0; run < runs; ++run) {
        auto start = std::chrono::steady_clock::now();
        checksum = Checksum(argv[1]);
        std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
        if (checksum.empty()) {
            std::fprintf(stderr, "file_md5_bench: cannot read %s\n", argv[1]);
            return 1;
        }
        best = std::max(best, mebibytes / seconds.count());
    }
    std::printf("%s %.1f\n", checksum.c_str(), best);
    return 0;
}
