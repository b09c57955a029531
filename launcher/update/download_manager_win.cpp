#include "launcher/update/download_manager_win.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdio>

#include "base/unique_handle_win.h"
#include "launcher/update/to_do_list.h"
#include "launcher/update/update_error_log_win.h"
#include "launcher/update/update_files.h"

namespace gatevane {
namespace {

constexpr char kWindowClass[] = "GatevaneDownloadManager";
constexpr int kManagerControlId = 300;
// The progress display is refreshed at most this often, but always at the end of a file.
constexpr DWORD kRefreshInterval = 24;
constexpr std::uint8_t kAttemptsPerFile = 3;
// The to-do list of the largest update list is about 13 MB.
constexpr DWORD kMaxToDoFileSize = 32 * 1024 * 1024;
constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

std::string ReadWholeFile(const std::string& path) {
    UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxToDoFileSize) return {};
    std::string text(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!::ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr)) {
        return {};
    }
    text.resize(read);
    return text;
}

bool Move(const std::string& from, const std::string& to) {
    return ::MoveFileExA(from.c_str(), to.c_str(), kReplace) != FALSE;
}

}  // namespace

DownloadManager::DownloadManager(UpdateOwner* owner, HWND parent, std::string programFolder)
    : owner_(owner), parent_(parent), programFolder_(std::move(programFolder)) {}

DownloadManager::~DownloadManager() {
    downloader_.reset();
    if (window_) ::DestroyWindow(window_);
}

bool DownloadManager::Create() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWindowClass;
    if (!::RegisterClassA(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }
    const DWORD style = parent_ ? WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN : WS_POPUP;
    window_ = ::CreateWindowExA(0, kWindowClass, "", style, 0, 0, 0, 0, parent_,
                                parent_ ? reinterpret_cast<HMENU>(kManagerControlId) : nullptr,
                                windowClass.hInstance, nullptr);
    if (window_) ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return window_ != nullptr;
}

void DownloadManager::LoadToDoList() {
    const ToDoList list = ParseToDoFile(ReadWholeFile(programFolder_ + "\\LobbyUpdate.log"));
    baseAddress_ = list.address;
    toDo_.assign(list.entries.begin(), list.entries.end());
    fileCount_ = static_cast<int>(toDo_.size());
}

bool DownloadManager::StartDownloads() {
    if (!window_) return false;
    if (!downloader_) downloader_ = std::make_unique<FileDownloader>(window_, programFolder_);
    if (!toDo_.empty()) StartCurrent(false);
    return true;
}

void DownloadManager::StartCurrent(bool resume) {
    downloader_->Start(baseAddress_, toDo_.front().name, resume);
}

UpdateProgress DownloadManager::Progress() const {
    UpdateProgress progress;
    progress.fileCount = fileCount_;
    progress.filesDone = filesDone_;
    if (downloader_) {
        progress.received = downloader_->received();
        progress.total = downloader_->total();
    }
    return progress;
}

LRESULT CALLBACK DownloadManager::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
    auto* self = reinterpret_cast<DownloadManager*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == kFileResultMessage) {
        std::unique_ptr<FileResult> result(reinterpret_cast<FileResult*>(wParam));
        if (self && result) self->OnFileResult(std::move(result));
        return 0;
    }
    if (message == kFileProgressMessage && self) {
        self->OnProgress(wParam == 1);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void DownloadManager::OnFileResult(std::unique_ptr<FileResult> result) {
    if (toDo_.empty()) return;  // the update has stopped
    if (result->ok && result->checksum != toDo_.front().checksum) {
        StopUpdate("文件 %s 校验结果与服务器不匹配,请重新下载更新！");
        return;
    }
    // Only a verified launcher ever stands where start-up looks for one.
    const std::string ready = ReadyPath(programFolder_, toDo_.front().name);
    if (result->ok && ready != result->downloadedPath && !Move(result->downloadedPath, ready)) {
        result->ok = false;
    }
    if (result->ok) {
        ++filesDone_;
        retries_ = 0;
        toDo_.pop_front();
    } else if (++retries_ == kAttemptsPerFile) {
        StopUpdate("文件 %s 无法下载,可能由网络原因造成,请稍后重试！");
        return;
    }
    downloader_->Reset();
    if (result->ok && !result->installPath.empty()) {
        installs_.push_back({result->downloadedPath, result->installPath});
    }
    if (toDo_.empty()) {
        InstallCollected();
        owner_->StartLobbyAfterUpdate();
        return;
    }
    lastRefresh_ = ::GetTickCount();
    StartCurrent(!result->ok);
}

// Logs and shows why the update stops, installs what was verified, and fetches nothing more: the
// player can log on only after starting the launcher again.
void DownloadManager::StopUpdate(const char* format) {
    const std::string& name = toDo_.front().name;
    std::string message(std::snprintf(nullptr, 0, format, name.c_str()) + 1, '\0');
    std::snprintf(message.data(), message.size(), format, name.c_str());
    message.pop_back();
    toDo_.clear();
    downloader_->Reset();
    AppendUpdateError(message.c_str());
    ::MessageBoxA(window_, message.c_str(), "温馨提示", MB_OK);
    InstallCollected();
}

void DownloadManager::OnProgress(bool fileComplete) {
    const DWORD now = ::GetTickCount();
    if (!fileComplete && now - lastRefresh_ < kRefreshInterval) return;
    lastRefresh_ = now;
    owner_->ShowUpdateProgress(Progress());
}

// Moves every verified file into place, in the order fetched; the launcher waits in the download
// folder for start-up to swap it in. A destination in use (a running program, a loaded library)
// cannot be replaced but can be renamed: it goes aside as the downloaded path plus ".old" and the
// move is tried once more. Whatever fails, the destination keeps a whole file: the old one is put
// back when the new one cannot take its place.
void DownloadManager::InstallCollected() {
    for (; !installs_.empty(); installs_.pop_front()) {
        const Install& install = installs_.front();
        ::SHCreateDirectoryExA(nullptr, ParentFolder(install.destination).c_str(), nullptr);
        if (Move(install.source, install.destination)) continue;
        const std::string aside = install.source + ".old";
        if (!Move(install.destination, aside)) continue;
        if (!Move(install.source, install.destination)) Move(aside, install.destination);
    }
}

}  // namespace gatevane
