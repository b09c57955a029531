#pragma once
// Fetches the update list for the login window before the player may log on, and compares it with
// the program folder: the files whose checksum differs go into LobbyUpdate.log, the download
// manager's to-do list, and the window learns whether there is anything to fetch.
//
//   idle/failed --Start--> requested --header--> receiving --all bytes--> complete (compared)
//   requested/receiving --failure, or a header without a usable length--> failed
//
// The list is untrusted: its length is checked before anything is allocated for it, and a list
// that does not read gets a line in UpdateError.log and lets logon go on without an update. A hall
// that ships its public key (UpdateKey.pem) takes only lists signed with its private key: the
// signature, Update.txt.sig beside the list, is fetched and judged before the list is read.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "launcher/startup/program_folder_win.h"
#include "launcher/update/http_download_socket_win.h"
#include "launcher/update/update_list.h"
#include "launcher/update/update_owner.h"

namespace gatevane {

class UpdateListLoader final : public IDownloadSink {
public:
    enum State : std::uint8_t {
        kIdle = 0,
        kRequested = 1,
        kReceiving = 2,
        kComplete = 3,
        kFailed = 4
    };

    // `programFolder` (without trailing separator) holds the files the list is compared with and
    // LobbyUpdate.log; the launcher's is the folder of its executable.
    explicit UpdateListLoader(UpdateOwner* owner,
                              std::string programFolder = ProgramFolderPath(""));
    UpdateListLoader(const UpdateListLoader&) = delete;
    UpdateListLoader& operator=(const UpdateListLoader&) = delete;

    // The whole fetch of the list is bounded, so a server that trickles its bytes never holds
    // the player's logon for long: a minute, for any list and any line a player logs on with.
    static constexpr DWORD kTimeLimitMs = 60000;

    // Starts fetching the list at `url`; accepted only when idle or failed. False also when the
    // request could not be started, which the owner has then been told by ShowUpdateFinished.
    bool Start(const char* url);

    State state() const { return state_; }

    // Owned by the login window: Destroy does nothing.
    void Destroy() override {}
    void* FindInterface(const InterfaceId& id, std::uint32_t version) override;
    void OnDownloadFailed(int code) override;
    void OnDownloadState(int phase) override;
    void OnDownloadData(const char* bytes, std::uint16_t length) override;
    bool OnDownloadHeader(bool partial, std::uint32_t length, const char* path) override;

private:
    // Abandons the request, logs `reason` and lets logon go on.
    void Refuse(const char* reason);
    void Failed();
    // Judges the received list with the signature fetched beside it (or none), then finishes.
    void JudgeOrigin(bool signatureFetched);
    // Compares the list with the program folder and tells the owner.
    void Finish();
    // Writes the out-of-date files of the received list into LobbyUpdate.log; true when any.
    bool CompareWithProgramFolder();
    std::string FolderPath(const std::string& tail) const;

    UpdateOwner* owner_;
    std::string programFolder_;
    State state_ = kIdle;
    // The received list, allocated to the announced length; kept while the loader lives.
    std::unique_ptr<std::uint8_t[]> list_;
    std::size_t capacity_ = 0;
    std::size_t received_ = 0;
    // The signature beside the list, fetched when the hall has a public key.
    static constexpr std::size_t kMaxSignatureDownload = 4096;
    std::string signatureUrl_;
    bool fetchingSignature_ = false;
    std::string signature_;
    HttpDownloadSocket http_;
};

}  // namespace gatevane
