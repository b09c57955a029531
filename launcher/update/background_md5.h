#pragma once
// An MD5 computed on a worker thread from the bytes it is fed, in order, so that hashing a
// download overlaps with receiving and writing it: MD5 runs at about the speed the bytes arrive
// from a fast server, and on one thread the two would add up.
//
// Fed bytes are copied into a bounded number of pieces; Update waits only when that many are still
// queued, so memory stays fixed whatever the file's size. Only the feeding thread calls the
// methods; the worker thread is private to the object and ends with it.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "launcher/update/md5.h"

namespace gatevane {

class BackgroundMd5 {
public:
    BackgroundMd5();
    ~BackgroundMd5();
    BackgroundMd5(const BackgroundMd5&) = delete;
    BackgroundMd5& operator=(const BackgroundMd5&) = delete;

    // Drops whatever was fed and starts a new digest.
    void Reset();
    void Update(const void* data, std::size_t length);
    // The checksum text of everything fed since the last Reset, once the worker has hashed it all;
    // then starts a new digest.
    std::string FinishText();

private:
    // Pieces in flight: 16 of up to 256 KiB, 4 MiB at most.
    static constexpr std::size_t kMaxQueued = 16;
    static constexpr std::size_t kPieceSize = 256 * 1024;

    void Run();
    void Drain(std::unique_lock<std::mutex>& lock);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<char>> queued_;  // fed, not yet hashed
    std::vector<std::vector<char>> spare_;  // hashed, kept for reuse
    std::vector<char> filling_;             // being fed, not yet queued
    bool hashing_ = false;                  // the worker holds a piece outside the queue
    bool stopping_ = false;
    Md5 md5_;
    std::thread worker_;
};

}  // namespace gatevane
