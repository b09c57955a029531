#pragma once
// The decisions of an update's downloads, one file at a time: which file comes next and whether it
// resumes, when a file is verified, when a failure is tried again, and when the update stops.
//
//   files to do --file verified--> next file (a fresh download) ... --last verified--> done
//   a failed attempt --1st, 2nd--> the same file again, resuming
//                    --3rd-------> stopped: the file cannot be fetched
//   a checksum that differs -----> stopped: the file does not match the list
//
// A stopped update fetches nothing more; what was verified until then is still installed.

#include <cstdint>
#include <deque>
#include <string>

#include "launcher/update/to_do_list.h"

namespace gatevane {

class DownloadPlan {
public:
    static constexpr std::uint8_t kAttemptsPerFile = 3;

    enum class Step {
        kFetch,             // fetch Current(), resuming when Resume()
        kDone,              // every file verified
        kStopMismatch,      // Current() does not match its checksum
        kStopUnreachable,   // Current() failed its last attempt
    };

    explicit DownloadPlan(const ToDoList& list);

    // What to do first.
    Step Begin() const;
    // Takes the end of the current file's attempt: `ok` with the checksum of what arrived, or a
    // failure. Returns the next step; after a stop, Current() is still the file that stopped it.
    Step OnAttempt(bool ok, const std::string& checksum);

    const ToDoEntry& Current() const { return toDo_.front(); }
    bool Resume() const { return resume_; }
    int FileCount() const { return fileCount_; }
    int FilesDone() const { return filesDone_; }
    bool Stopped() const { return stopped_; }

private:
    std::deque<ToDoEntry> toDo_;
    int fileCount_ = 0;
    int filesDone_ = 0;
    std::uint8_t failures_ = 0;
    bool resume_ = false;
    bool stopped_ = false;
};

// The user's message for a stopped update, naming the file.
std::string StopMessage(DownloadPlan::Step step, const std::string& entryName);

}  // namespace gatevane
