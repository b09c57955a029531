#include "launcher/update/file_downloader_win.h"

#include <shlobj.h>

#include <memory>
#include <vector>

#include "launcher/update/checksum_stream.h"
#include "launcher/update/update_files.h"

namespace gatevane {

FileDownloader::FileDownloader(HWND manager, std::string programFolder)
    : manager_(manager), programFolder_(std::move(programFolder)) {}

void* FileDownloader::FindInterface(const InterfaceId& id, std::uint32_t version) {
    return AnswerInterface<IDownloadSink>(this, kDownloadSinkInterfaceId, id, version);
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
    filePath_ = DownloadPath(programFolder_, entryName);
    const std::uint32_t offset = resume && !file_ ? OpenPartialFile() : 0;
    const std::string url = FileUrl(baseAddress, entryName);
    http_.Download(url.c_str(), this, offset);  // a failure to open is reported as an event
    ::PostMessageA(manager_, kFileProgressMessage, 0, 0);
    return true;
}

// The partial file of an earlier attempt, its bytes fed to the checksum, left open at its end; its
// length is where to resume. 0 (and no file) when there is none or it cannot be read.
std::uint32_t FileDownloader::OpenPartialFile() {
    md5_.Reset();
    file_.reset(::CreateFileA(filePath_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file_) return 0;
    std::vector<char> buffer(kChecksumChunkSize);
    for (DWORD read = 1; read > 0;) {
        if (!::ReadFile(file_.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read,
                        nullptr)) {
            file_.reset();
            md5_.Reset();
            return 0;
        }
        md5_.Update(buffer.data(), read);
    }
    return FileLength();
}

bool FileDownloader::CreateDownloadFile() {
    md5_.Reset();
    if (filePath_.empty()) return false;
    ::SHCreateDirectoryExA(nullptr, ParentFolder(filePath_).c_str(), nullptr);
    file_.reset(::CreateFileA(filePath_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file_);
}

bool FileDownloader::OnDownloadHeader(bool partial, std::uint32_t length, const char*) {
    total_ += length;
    if (partial && file_) {
        const std::uint32_t already = FileLength();
        total_ += already;
        received_ += already;
    } else {
        file_.reset();
        if (!CreateDownloadFile()) {
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
        PostFinishedFile();
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
    md5_.Update(bytes, length);
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

void FileDownloader::PostFinishedFile() {
    auto result = std::make_unique<FileResult>();
    result->ok = true;
    result->downloadedPath = filePath_;
    result->installPath = InstallPath(programFolder_, name_);
    result->checksum = md5_.FinishText();
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
