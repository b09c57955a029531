#include "launcher/update/background_md5.h"

#include <algorithm>
#include <utility>

namespace gatevane {

BackgroundMd5::BackgroundMd5() : worker_([this] { Run(); }) {}

BackgroundMd5::~BackgroundMd5() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

void BackgroundMd5::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !queued_.empty(); });
        if (stopping_) return;
        std::vector<char> piece = std::move(queued_.front());
        queued_.pop_front();
        hashing_ = true;
        lock.unlock();
        md5_.Update(piece.data(), piece.size());
        lock.lock();
        hashing_ = false;
        piece.clear();
        spare_.push_back(std::move(piece));
        changed_.notify_all();
    }
}

// Waits until the worker has hashed everything queued.
void BackgroundMd5::Drain(std::unique_lock<std::mutex>& lock) {
    changed_.wait(lock, [this] { return queued_.empty() && !hashing_; });
}

void BackgroundMd5::Reset() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (std::vector<char>& piece : queued_) spare_.push_back(std::move(piece));
    queued_.clear();
    Drain(lock);
    filling_.clear();
    md5_ = Md5();
}

void BackgroundMd5::Update(const void* data, std::size_t length) {
    const char* bytes = static_cast<const char*>(data);
    while (length > 0) {
        if (filling_.capacity() < kPieceSize) filling_.reserve(kPieceSize);
        const std::size_t take = std::min(length, kPieceSize - filling_.size());
        filling_.insert(filling_.end(), bytes, bytes + take);
        bytes += take;
        length -= take;
        if (filling_.size() < kPieceSize) return;
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return queued_.size() < kMaxQueued; });
        queued_.push_back(std::move(filling_));
        filling_.clear();
        if (!spare_.empty()) {
            filling_ = std::move(spare_.back());
            spare_.pop_back();
        }
        changed_.notify_all();
    }
}

std::string BackgroundMd5::FinishText() {
    std::unique_lock<std::mutex> lock(mutex_);
    Drain(lock);
    if (!filling_.empty()) md5_.Update(filling_.data(), filling_.size());
    filling_.clear();
    const std::string text = ChecksumText(md5_.Finish());
    md5_ = Md5();
    return text;
}

}  // namespace gatevane
