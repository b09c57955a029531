#pragma once
// The watch on the window that started the pet: every tick (500 ms) the pet looks for it, and
// when it has been missing on more than three ticks in a row (about two seconds) the pet ends. A
// window that comes back in time starts the count again.
//
//   Watching --missing, count <= 3--> Watching
//   Watching --found--> Watching (count 0)
//   Watching --missing, count > 3--> Ended

namespace ostrelpet {

class WatchCounter {
public:
    static constexpr int kMissesAllowed = 3;

    // One tick; true when the pet should end now.
    bool Tick(bool windowFound) {
        if (windowFound) {
            misses_ = 0;
            return false;
        }
        if (++misses_ <= kMissesAllowed) return false;
        misses_ = 0;
        return true;
    }

    int misses() const { return misses_; }

private:
    int misses_ = 0;
};

}  // namespace ostrelpet
