#pragma once
// Fetches the files of an update one after another (the to-do list LobbyUpdate.log), verifies
// each by its MD5, tries a failed file three times in all (resuming), and at the end moves every
// verified file into the program folder, moving files in use aside. A checksum mismatch or a third
// failure stops the update with a message; files verified until then are still installed. The
// launcher itself is never installed over the running one: its verified copy waits as
// UpdateDownLoad\Quarnel.exe for the next start to swap it in.

#include <windows.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "base/unique_handle_win.h"
#include "launcher/update/download_plan.h"
#include "launcher/update/file_downloader_win.h"
#include "launcher/update/update_owner.h"

namespace gatevane {

class DownloadManager {
public:
    // `parent`: the login window, whose hidden child the manager is (none: a hidden window of its
    // own). `programFolder`: where the hall lives.
    DownloadManager(UpdateOwner* owner, HWND parent, std::string programFolder);
    DownloadManager(const DownloadManager&) = delete;
    DownloadManager& operator=(const DownloadManager&) = delete;

    // False when the manager's window cannot be made.
    bool Create();
    // Reads LobbyUpdate.log of the program folder.
    void LoadToDoList();
    // Starts the first file; false when the downloader cannot be made.
    bool StartDownloads();

    UpdateProgress Progress() const;

private:
    struct Install {
        std::string source;
        std::string destination;
    };

    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    void OnFileResult(std::unique_ptr<FileResult> result);
    void OnProgress(bool fileComplete);
    void StartCurrent();
    void StopUpdate(const std::string& message);
    void InstallCollected();

    UpdateOwner* owner_;
    HWND parent_;
    std::string programFolder_;
    UniqueWindow window_;  // outlives the downloader, which posts to it
    DWORD lastRefresh_ = 0;
    std::string baseAddress_;
    DownloadPlan plan_{ToDoList{}};
    std::deque<Install> installs_;
    std::unique_ptr<FileDownloader> downloader_;
};

}  // namespace gatevane
