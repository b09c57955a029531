#pragma once
// Fetches one file of an update into the download folder (UpdateDownLoad under the program folder,
// at the entry's own relative path) through its own HttpDownloadSocket, resuming a partial file
// when asked, and tells the download manager's window how it went: progress as a sent message,
// the end as a posted file result with the MD5 of what was written.
//
//   idle/failed --Start--> requested --header--> receiving --all bytes--> complete (result posted)
//   any --failure--> failed (result posted; a partial file is kept for the next attempt, unless the
//                            server's answer showed it cannot be resumed)
//
// The checksum is computed while the bytes arrive, on a worker thread (a resumed file's earlier
// bytes are read once, when it is opened), so verifying a file never reads it back.

#include <windows.h>

#include <cstdint>
#include <string>

#include "base/unique_handle_win.h"
#include "launcher/update/http_download_socket_win.h"
#include "launcher/update/background_md5.h"

namespace gatevane {

// Posted to the manager when a file ended: wParam is a FileResult the receiver deletes.
constexpr UINT kFileResultMessage = WM_USER + 100;
// Sent to the manager when progress changed: wParam 1 when the file has all its bytes.
constexpr UINT kFileProgressMessage = WM_USER + 101;

struct FileResult {
    bool ok = false;
    std::string downloadedPath;  // both empty for a failure
    std::string installPath;
    std::string checksum;  // of the downloaded file's bytes, for a success
};

class FileDownloader final : public IDownloadSink {
public:
    enum State : std::uint8_t {
        kIdle = 0,
        kRequested = 1,
        kReceiving = 2,
        kComplete = 3,
        kFailed = 4
    };

    FileDownloader(HWND manager, std::string programFolder);
    FileDownloader(const FileDownloader&) = delete;
    FileDownloader& operator=(const FileDownloader&) = delete;

    // Starts fetching `entryName` under `baseAddress`; accepted when idle or failed.
    bool Start(const std::string& baseAddress, const std::string& entryName, bool resume);
    // Back to idle for the next file: counters cleared, request abandoned, file closed.
    void Reset();

    State state() const { return state_; }
    std::uint32_t received() const { return received_; }
    std::uint32_t total() const { return total_; }

    void Destroy() override {}
    void* FindInterface(const InterfaceId& id, std::uint32_t version) override;
    void OnDownloadFailed(int code) override;
    void OnDownloadState(int phase) override;
    void OnDownloadData(const char* bytes, std::uint16_t length) override;
    bool OnDownloadHeader(bool partial, std::uint32_t length, const char* path) override;

private:
    std::uint32_t OpenPartialFile();
    bool CreateDownloadFile();
    std::uint32_t FileLength() const;
    void Fail();
    void PostFinishedFile();
    void Post(FileResult* result);
    void ReportProgress(bool fileComplete);

    HWND manager_;
    std::string programFolder_;
    State state_ = kIdle;
    std::uint32_t received_ = 0;
    std::uint32_t total_ = 0;
    std::string name_;
    std::string filePath_;
    UniqueFileHandle file_;
    BackgroundMd5 md5_;
    HttpDownloadSocket http_;
};

}  // namespace gatevane
