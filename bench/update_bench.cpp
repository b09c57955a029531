// update_bench PROGRAM_FOLDER: runs the download manager over PROGRAM_FOLDER\LobbyUpdate.log, as
// the login window does after the update-list comparison: every file is fetched into
// UpdateDownLoad, checked against its MD5 and moved into the program folder. The owner does
// nothing but end the message loop once the lobby would be started.
//
// Prints "SECONDS MIB_PER_S PEAK_MIB START_PEAK_MIB FILES TAIL_SECONDS": the time from
// StartDownloads to StartLobbyAfterUpdate, the installed bytes over that time, the process's peak
// working set at the end and just before the update began (Wine's own share of it), the files
// installed, and how much of the time came after the last file's last byte arrived (its checksum
// and the moves into the program folder).
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

#include "bench/bench_pump.h"
#include "launcher/update/download_manager_win.h"

namespace {

using Clock = std::chrono::steady_clock;

class QuietOwner final : public gatevane::UpdateOwner {
public:
    bool lobbyStarted = false;
    // When the last file had all its bytes (the manager always reports that moment).
    std::optional<Clock::time_point> lastByte;

    void OnUpdateListDone(bool) override {}
    void ShowUpdateFinished() override {}
    void ShowUpdateProgress(const gatevane::UpdateProgress& progress) override {
        if (progress.filesDone == progress.fileCount - 1 && progress.total > 0 &&
            progress.received == progress.total && !lastByte) {
            lastByte = Clock::now();
        }
    }
    void StartLobbyAfterUpdate() override { lobbyStarted = true; }
    void ShowUpdateStopped(const char* message) override {
        std::fprintf(stderr, "update_bench: %s\n", message);
        lobbyStarted = true;  // nothing more comes
    }
};

// The size of every file the to-do list names, as installed; -1 when one is missing.
long long InstalledBytes(const std::string& folder, int* files) {
    const std::string toDo = folder + "\\LobbyUpdate.log";
    const int count = static_cast<int>(
        ::GetPrivateProfileIntA("UPDATEFILELIST", "UPDATEFILECOUNT", 0, toDo.c_str()));
    long long total = 0;
    for (int i = 0; i < count; ++i) {
        char key[32];
        char name[MAX_PATH];
        std::snprintf(key, sizeof key, "FileIndex%d", i);
        ::GetPrivateProfileStringA("UPDATEFILELIST", key, "", name, sizeof name, toDo.c_str());
        WIN32_FILE_ATTRIBUTE_DATA data;
        const std::string path = folder + "\\" + name;
        if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
        total += static_cast<long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    }
    *files = count;
    return total;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: update_bench PROGRAM_FOLDER\n", stderr);
        return 2;
    }
    if (!gatevane::bench::StartWinsock()) return 1;
    const std::string folder = argv[1];
    QuietOwner owner;
    gatevane::DownloadManager manager(&owner, nullptr, folder);
    if (!manager.Create()) return 1;
    manager.LoadToDoList();
    const double startPeak = gatevane::bench::PeakWorkingSetMiB();
    const Clock::time_point start = Clock::now();
    if (!manager.StartDownloads()) return 1;
    gatevane::bench::PumpUntil([&owner] { return owner.lobbyStarted; }, 300000);
    const Clock::time_point end = Clock::now();
    const std::chrono::duration<double> seconds = end - start;
    const std::chrono::duration<double> tail = end - owner.lastByte.value_or(end);
    const double peak = gatevane::bench::PeakWorkingSetMiB();

    int files = 0;
    const long long bytes = InstalledBytes(folder, &files);
    if (bytes <= 0) {
        std::fprintf(stderr, "update_bench: the update did not install every file\n");
        return 1;
    }
    std::printf("%.2f %.1f %.1f %.1f %d %.2f\n", seconds.count(),
                static_cast<double>(bytes) / (1024.0 * 1024.0) / seconds.count(), peak, startPeak,
                files, tail.count());
    return 0;
}
