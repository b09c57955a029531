#pragma once
// The login window, as the update engine sees it.

#include <cstdint>

namespace gatevane {

struct UpdateProgress {
    int fileCount = 0;          // files of this update
    int filesDone = 0;          // of which verified
    std::uint32_t received = 0; // bytes of the current file so far
    std::uint32_t total = 0;    // bytes of the current file in all (0 while unknown)
};

class UpdateOwner {
public:
    // The update list was compared with the program folder: true when files must be fetched
    // (they are in LobbyUpdate.log), false when there is nothing to do or the list is unusable.
    virtual void OnUpdateListDone(bool filesToFetch) = 0;
    // The update list could not be fetched: logon goes on as if nothing needed updating.
    virtual void ShowUpdateFinished() = 0;
    virtual void ShowUpdateProgress(const UpdateProgress& progress) = 0;
    // Every file was fetched, verified and installed.
    virtual void StartLobbyAfterUpdate() = 0;
    // The update stopped for `message` (a file that cannot be fetched or does not match): what was
    // verified is installed, nothing more is fetched in this run, and the player is to be told.
    virtual void ShowUpdateStopped(const char* message) = 0;

protected:
    ~UpdateOwner() = default;
};

}  // namespace gatevane
