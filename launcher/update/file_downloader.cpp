#include "launcher/update/file_downloader.h"

#include <shlobj.h>

#include <memory>

#include "launcher/update/http_exchange.h"

namespace gatevane {

FileDownloader::FileDownloader(HWND manager, std::string programFolder)
    : manager_(manager), programFolder_(std::move(programFolder)) {}

void* FileDownloader::FindInterface(const InterfaceId& id, std::uint32_t version) {
    return AnswerInterface<IDownloadSink>(this, kDownloadSinkInterfaceId, id, version);
}

std::string FileDownloader::DownloadFolder() const {
    return programFolder_ + "\\UpdateDownLoad";
}

std::uint32_t FileDownloader::FileLength() const {
    LARGE_INTEGER size{};
    if (!file_ || !::GetFileSizeEx(file_.get(), &size) || size.QuadPart > UINT32_MAX) return 0;
    return static_cast<std::uint32_t>(size.QuadPart);
}

bool FileDownloader::Start(const std::string& baseAddress, const std::string& entryName,
                           bool resume) {
    if (state_ != kIdle && state_ != kFailed) return false;
    received_ = 0;
    total_ = 0;
    state_ = kRequested;
    name_ = entryName;
    url_ = FileUrl(baseAddress, entryName);
    const std::uint32_t offset = resume && !file_ ? OpenPartialFile() : 0;
    http_.Download(url_.c_str(), this, offset);  // a failure to open is reported as an event
    ::PostMessageA(manager_, kFileProgressMessage, 0, 0);
    return true;
}

// The partial file of an earlier attempt, opened at its end; its length is where to resume.
std::uint32_t FileDownloader::OpenPartialFile() {
    const std::string name = PartialFileName(url_);
    if (name.empty()) return 0;
    filePath_ = DownloadFolder() + "\\" + name;
    file_.reset(::CreateFileA(filePath_.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_ || ::SetFilePointer(file_.get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER) {
        file_.reset();
        return 0;
    }
    return FileLength();
}

bool FileDownloader::CreateLocalFile(const char* requestPath) {
    const std::string name = LocalFileName(requestPath);
    if (name.empty()) return false;
    const std::string folder = DownloadFolder();
    ::SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr);
    filePath_ = folder + "\\" + name;
    file_.reset(::CreateFileA(filePath_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file_);
}

bool FileDownloader::OnDownloadHeader(bool partial, std::uint32_t length, const char* path) {
    total_ += length;
    if (partial && file_) {
        const std::uint32_t already = FileLength();
        total_ += already;
        received_ += already;
    } else {
        file_.reset();
        if (!CreateLocalFile(path)) {
            // The manager must learn of it, or the update would wait for this file for ever.
            http_.Reset();
            Fail();
            return true;
        }
    }
    ReportProgress(false);
    return true;
}

void FileDownloader::OnDownloadState(int phase) {
    if (phase == kDownloadHeaderArrived && state_ == kRequested) {
        state_ = kReceiving;
    } else if (phase == kDownloadComplete && state_ == kReceiving) {
        state_ = kComplete;
        PerformInstall();
    }
}

void FileDownloader::OnDownloadData(const char* bytes, std::uint16_t length) {
    if (state_ != kReceiving || !file_) return;
    DWORD written = 0;
    if (!::WriteFile(file_.get(), bytes, length, &written, nullptr) || written != length) {
        http_.Reset();
        Fail();
        return;
    }
    received_ += length;
    ReportProgress(received_ == total_);
}

void FileDownloader::OnDownloadFailed(int) {
    if (state_ == kRequested || state_ == kReceiving) Fail();
}

void FileDownloader::Fail() {
    state_ = kFailed;
    file_.reset();  // what arrived stays on disk for the next attempt to resume
    if (http_.restartFromZero()) ::DeleteFileA(filePath_.c_str());
    Post(new FileResult());
}

void FileDownloader::PerformInstall() {
    auto result = std::make_unique<FileResult>();
    result->ok = true;
    result->downloadedPath = filePath_;
    result->installPath = InstallPath(programFolder_, name_);
    file_.reset();
    Post(result.release());
    ::OutputDebugStringA("DOWNLOAD....PerformInstall");
}

void FileDownloader::Post(FileResult* result) {
    if (!::PostMessageA(manager_, kFileResultMessage, reinterpret_cast<WPARAM>(result), 0)) {
        delete result;
    }
}

void FileDownloader::ReportProgress(bool fileComplete) {
    ::SendMessageA(manager_, kFileProgressMessage, fileComplete ? 1 : 0, 0);
}

void FileDownloader::Reset() {
    http_.Reset();
    file_.reset();
    received_ = 0;
    total_ = 0;
    state_ = kIdle;
    name_.clear();
}

}  // namespace gatevane
