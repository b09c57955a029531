#include "launcher/update/download_manager_win.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdio>

#include "base/unique_handle_win.h"
#include "launcher/common/file_start_win.h"
#include "launcher/update/to_do_list.h"
#include "launcher/update/update_error_log_win.h"
#include "launcher/update/update_files.h"

namespace gatevane {
namespace {

constexpr char kWindowClass[] = "GatevaneDownloadManager";
constexpr int kManagerControlId = 300;
// The progress display is refreshed at most this often, but always at the end of a file.
constexpr DWORD kRefreshInterval = 24;
constexpr UINT_PTR kRefreshTimer = 1;
// The to-do list of the largest update list is about 13 MB.
constexpr std::size_t kMaxToDoFileSize = 32 * 1024 * 1024;
constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

bool Move(const std::string& from, const std::string& to) {
    return ::MoveFileExA(from.c_str(), to.c_str(), kReplace) != FALSE;
}

}  // namespace

DownloadManager::DownloadManager(UpdateOwner* owner, HWND parent, std::string programFolder)
    : owner_(owner), parent_(parent), programFolder_(std::move(programFolder)) {}

bool DownloadManager::Create() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWindowClass;
    if (!::RegisterClassA(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }
    const DWORD style = parent_ ? WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN : WS_POPUP;
    window_.reset(::CreateWindowExA(0, kWindowClass, "", style, 0, 0, 0, 0, parent_,
                                    parent_ ? reinterpret_cast<HMENU>(kManagerControlId) : nullptr,
                                    windowClass.hInstance, nullptr));
    if (window_)
        ::SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return static_cast<bool>(window_);
}

void DownloadManager::LoadToDoList() {
    // A file beyond any to-do list is no to-do list.
    const std::optional<std::string> text =
        ReadFileStart(programFolder_ + "\\LobbyUpdate.log", kMaxToDoFileSize);
    const ToDoList list =
        ParseToDoFile(text && text->size() <= kMaxToDoFileSize ? *text : std::string());
    baseAddress_ = list.address;
    plan_ = DownloadPlan(list);
}

bool DownloadManager::StartDownloads() {
    if (!window_) return false;
    if (!downloader_) downloader_ = std::make_unique<FileDownloader>(window_.get(), programFolder_);
    if (plan_.Begin() == DownloadPlan::Step::kFetch) StartCurrent();
    return true;
}

void DownloadManager::StartCurrent() {
    downloader_->Start(baseAddress_, plan_.Current().name, plan_.Resume());
}

UpdateProgress DownloadManager::Progress() const {
    UpdateProgress progress;
    progress.fileCount = plan_.FileCount();
    progress.filesDone = plan_.FilesDone();
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
    if (message == WM_TIMER && wParam == kRefreshTimer && self) {
        self->OnProgress(true);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void DownloadManager::OnFileResult(std::unique_ptr<FileResult> result) {
    ::KillTimer(window_.get(), kRefreshTimer);  // the file's last progress came with its end
    if (plan_.Stopped() || plan_.Begin() == DownloadPlan::Step::kDone) return;
    const std::string name = plan_.Current().name;
    // Only a verified launcher ever stands where start-up looks for one.
    const std::string ready = ReadyPath(programFolder_, name);
    const bool matches = result->ok && result->checksum == plan_.Current().checksum;
    if (matches && ready != result->downloadedPath && !Move(result->downloadedPath, ready)) {
        result->ok = false;
    }
    const DownloadPlan::Step step = plan_.OnAttempt(result->ok, result->checksum);
    downloader_->Reset();
    if (step == DownloadPlan::Step::kStopMismatch || step == DownloadPlan::Step::kStopUnreachable) {
        return StopUpdate(StopMessage(step, name));
    }
    if (result->ok && !result->installPath.empty()) {
        installs_.push_back({result->downloadedPath, result->installPath});
    }
    if (step == DownloadPlan::Step::kDone) {
        InstallCollected();
        owner_->StartLobbyAfterUpdate();
        return;
    }
    lastRefresh_ = ::GetTickCount();
    StartCurrent();
}

// Logs and shows why the update stops, installs what was verified, and fetches nothing more: the
// player can log on only after starting the launcher again.
void DownloadManager::StopUpdate(const std::string& message) {
    AppendUpdateError(message.c_str());
    owner_->ShowUpdateStopped(message.c_str());
    InstallCollected();
}

// At most one refresh per interval; the bytes that came last before a pause (a server that stalls)
// are shown once the interval has passed, so the bar never stands behind what arrived.
void DownloadManager::OnProgress(bool fileComplete) {
    const DWORD now = ::GetTickCount();
    if (!fileComplete && now - lastRefresh_ < kRefreshInterval) {
        ::SetTimer(window_.get(), kRefreshTimer, kRefreshInterval, nullptr);
        return;
    }
    ::KillTimer(window_.get(), kRefreshTimer);
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
