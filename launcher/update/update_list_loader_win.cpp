#include "launcher/update/update_list_loader_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <thread>
#include <utility>

#include "base/unique_handle_win.h"
#include "launcher/update/file_md5_win.h"
#include "launcher/update/list_signature_win.h"
#include "launcher/update/to_do_list.h"
#include "launcher/update/update_error_log_win.h"

namespace gatevane {
namespace {

constexpr char kToDoFile[] = "\\LobbyUpdate.log";
// Files checksummed at once: beyond a few, the disk is the limit, not the processors.
constexpr unsigned kMaxWorkers = 4;
constexpr char kToDoDraft[] = "\\LobbyUpdate.log.new";

// Writes the whole to-do file at once, through a draft moved over the old file, so a crash never
// leaves half a list.
bool WriteToDoFile(const std::string& path, const std::string& draft, const std::string& text) {
    {
        UniqueFileHandle file(::CreateFileA(draft.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!file ||
            !::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written,
                         nullptr) ||
            written != text.size()) {
            return false;
        }
    }
    return ::MoveFileExA(draft.c_str(), path.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

}  // namespace

UpdateListLoader::UpdateListLoader(UpdateOwner* owner, std::string programFolder)
    : owner_(owner), programFolder_(std::move(programFolder)) {}

void* UpdateListLoader::FindInterface(const InterfaceId& id, std::uint32_t version) {
    return AnswerInterface<IDownloadSink>(this, kDownloadSinkInterfaceId, id, version);
}

bool UpdateListLoader::Start(const char* url) {
    if (!url || (state_ != kIdle && state_ != kFailed)) return false;
    state_ = kRequested;
    signatureUrl_ = std::string(url) + ".sig";
    fetchingSignature_ = false;
    if (http_.Download(url, this, 0, kTimeLimitMs)) return true;
    // An address the client cannot open it reports as failed already; any other refusal comes
    // before the request began.
    if (state_ == kRequested) Failed();
    return false;
}

std::string UpdateListLoader::FolderPath(const std::string& tail) const {
    // Cut to the path limit, as ProgramFolderPath cuts every path of the launcher.
    std::string path = programFolder_ + tail;
    if (path.size() > kPathCapacity - 1) path.resize(kPathCapacity - 1);
    return path;
}

void UpdateListLoader::Failed() {
    state_ = kFailed;
    owner_->ShowUpdateFinished();
}

void UpdateListLoader::Refuse(const char* reason) {
    http_.Reset();
    AppendUpdateError(reason);
    Failed();
}

void UpdateListLoader::OnDownloadFailed(int) {
    if (fetchingSignature_) {
        JudgeOrigin(false);  // no signature
    } else if (state_ == kRequested || state_ == kReceiving) {
        Failed();
    }
}

void UpdateListLoader::OnDownloadState(int phase) {
    if (phase == kDownloadHeaderArrived && state_ == kRequested) {
        state_ = kReceiving;
    } else if (phase == kDownloadComplete && fetchingSignature_) {
        JudgeOrigin(true);
    } else if (phase == kDownloadComplete && state_ == kReceiving && list_) {
        // A hall that ships its public key takes signed lists only: the signature lies beside the
        // list, and nothing of the list is acted on before it is judged.
        if (!UpdateKeyPresent(programFolder_)) return Finish();
        fetchingSignature_ = true;
        signature_.clear();
        if (!http_.Download(signatureUrl_.c_str(), this, 0, kTimeLimitMs)) JudgeOrigin(false);
    }
}

void UpdateListLoader::JudgeOrigin(bool signatureFetched) {
    fetchingSignature_ = false;
    const auto* signature = reinterpret_cast<const std::uint8_t*>(signature_.data());
    const ListOriginVerdict verdict =
        CheckListOrigin(programFolder_, list_.get(), received_,
                        signatureFetched ? signature : nullptr, signature_.size());
    if (!verdict.accepted) {
        AppendUpdateError(verdict.reason.c_str());
        state_ = kComplete;
        owner_->OnUpdateListDone(false);
        return;
    }
    if (verdict.serial != 0) RecordInstalledSerial(programFolder_, verdict.serial);
    Finish();
}

void UpdateListLoader::Finish() {
    state_ = kComplete;
    owner_->OnUpdateListDone(CompareWithProgramFolder());
}

bool UpdateListLoader::OnDownloadHeader(bool, std::uint32_t length, const char*) {
    if (fetchingSignature_) return true;
    if (state_ != kRequested && state_ != kReceiving) return false;
    state_ = kReceiving;
    char reason[128];
    // The length is the server's word: without one, or with one beyond any list, nothing is
    // allocated and nothing more is read.
    if (length == 0) {
        Refuse("update list: the server announced no length");
        return false;
    }
    if (length > kMaxCompressedListSize) {
        std::snprintf(reason, sizeof reason,
                      "update list: the server announced %lu bytes, more than the %lu taken",
                      static_cast<unsigned long>(length),
                      static_cast<unsigned long>(kMaxCompressedListSize));
        Refuse(reason);
        return false;
    }
    list_.reset(new (std::nothrow) std::uint8_t[length]);
    capacity_ = list_ ? length : 0;
    received_ = 0;
    if (!list_) {
        std::snprintf(reason, sizeof reason, "update list: out of memory for %lu bytes",
                      static_cast<unsigned long>(length));
        Refuse(reason);
        return false;
    }
    return true;
}

void UpdateListLoader::OnDownloadData(const char* bytes, std::uint16_t length) {
    if (fetchingSignature_) {
        // A signature file is 74 bytes; more is no signature, and is not kept.
        if (signature_.size() + length <= kMaxSignatureDownload) signature_.append(bytes, length);
        return;
    }
    if (state_ != kReceiving || !list_) return;
    const std::size_t take = std::min<std::size_t>(length, capacity_ - received_);
    std::memcpy(list_.get() + received_, bytes, take);
    received_ += take;
}

bool UpdateListLoader::CompareWithProgramFolder() {
    const UpdateListResult result = ReadUpdateList(list_.get(), received_);
    if (!result.list) {
        AppendUpdateError(result.reason.c_str());
        return false;
    }
    // A folder that is up to date leaves the to-do file as it is.
    // Checksumming the whole folder is the check's long part: it runs on every processor.
    const unsigned workers = std::clamp(std::thread::hardware_concurrency(), 1u, kMaxWorkers);
    const ToDoList toDo = StaleEntries(
        *result.list,
        [this](const std::string& name) { return FileMd5Hex(FolderPath("/" + name).c_str()); },
        workers);
    if (toDo.entries.empty()) return false;
    if (!WriteToDoFile(FolderPath(kToDoFile), FolderPath(kToDoDraft), FormatToDoFile(toDo))) {
        // Without its to-do list the update cannot run: better none this time.
        AppendUpdateError("update list: LobbyUpdate.log could not be written");
        return false;
    }
    return true;
}

}  // namespace gatevane
