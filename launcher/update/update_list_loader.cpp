#include "launcher/update/update_list_loader.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include "launcher/update/file_md5.h"
#include "launcher/update/update_error_log.h"

namespace gatevane {
namespace {

constexpr char kToDoFile[] = "\\LobbyUpdate.log";
constexpr char kToDoSection[] = "UPDATEFILELIST";

// A profile value is one line: a control character from the list (a checksum or address is taken
// as the list gives it) would break the file into lines of the server's choosing. The value never
// matched a file anyway, so it stays unmatched with '?' in their place.
std::string ProfileValue(const std::string& text) {
    std::string value = text;
    for (char& c : value) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    return value;
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
    if (http_.Download(url, this, 0)) return true;
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
    if (state_ == kRequested || state_ == kReceiving) Failed();
}

void UpdateListLoader::OnDownloadState(int phase) {
    if (phase == kDownloadHeaderArrived && state_ == kRequested) {
        state_ = kReceiving;
    } else if (phase == kDownloadComplete && state_ == kReceiving && list_) {
        state_ = kComplete;
        owner_->OnUpdateListDone(CompareWithProgramFolder());
    }
}

bool UpdateListLoader::OnDownloadHeader(bool, std::uint32_t length, const char*) {
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
    // The file is only ever added to: keys an earlier run left beyond the new count are not read,
    // and a folder that is up to date leaves it as it is.
    const std::string toDo = FolderPath(kToDoFile);
    bool written = true;
    char key[32];
    for (const UpdateListEntry& entry : result.list->entries) {
        const std::string actual = FileMd5Hex(FolderPath("/" + LocalEntryName(entry.name)).c_str());
        // A file that cannot be read has no checksum to match, whatever the list says.
        if (!actual.empty() && actual == entry.checksum) continue;
        std::snprintf(key, sizeof key, "FileIndex%d", fileIndex_);
        written &= ::WritePrivateProfileStringA(kToDoSection, key, entry.name.c_str(),
                                                toDo.c_str()) != FALSE;
        std::snprintf(key, sizeof key, "FileCheckNum%d", fileIndex_);
        written &=
            ::WritePrivateProfileStringA(kToDoSection, key, ProfileValue(entry.checksum).c_str(),
                                         toDo.c_str()) != FALSE;
        ++fileIndex_;
    }
    if (fileIndex_ == 0) return false;
    char count[16];
    std::snprintf(count, sizeof count, "%d", fileIndex_);
    written &=
        ::WritePrivateProfileStringA(kToDoSection, "UPDATEFILECOUNT", count, toDo.c_str()) != FALSE;
    written &= ::WritePrivateProfileStringA(kToDoSection, "FILENETADDRESS",
                                            ProfileValue(result.list->address).c_str(),
                                            toDo.c_str()) != FALSE;
    if (!written) {
        // A to-do list with holes would fetch the wrong files: better none this time.
        AppendUpdateError("update list: LobbyUpdate.log could not be written");
        return false;
    }
    return true;
}

}  // namespace gatevane
