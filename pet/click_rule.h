#pragma once
// A press and release of the left button on the pet is a click, not a drag, when the cursor moved
// less than this in both directions in between (screen pixels).

#include <cstdlib>

namespace ostrelpet {

constexpr int kClickSlop = 10;

struct ScreenPoint {
    long x = 0;
    long y = 0;
};

inline bool IsClick(ScreenPoint down, ScreenPoint up) {
    return std::labs(up.x - down.x) < kClickSlop && std::labs(up.y - down.y) < kClickSlop;
}

}  // namespace ostrelpet
