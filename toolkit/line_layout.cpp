#include "toolkit/line_layout.h"

#include <algorithm>

namespace ui {

std::vector<LineSpan> ArrangeLine(int start, int length, const std::vector<LineItem>& items,
                                  int gap) {
    int used = 0;
    int stretched = 0;
    for (const LineItem& item : items) {
        used += item.marginBefore + item.marginAfter + item.fixedSize;
        if (item.fixedSize <= 0) ++stretched;
    }
    if (!items.empty()) used += gap * static_cast<int>(items.size() - 1);
    int free = std::max(0, length - used);
    // The pixels that do not divide evenly go to the first stretched children, so the line is
    // filled exactly.
    int share = stretched ? free / stretched : 0;
    int remainder = stretched ? free % stretched : 0;

    std::vector<LineSpan> spans;
    spans.reserve(items.size());
    int at = start;
    for (const LineItem& item : items) {
        at += item.marginBefore;
        int size = item.fixedSize;
        if (size <= 0) {
            size = share + (remainder > 0 ? 1 : 0);
            if (remainder > 0) --remainder;
        }
        spans.push_back(LineSpan{at, at + size});
        at += size + item.marginAfter + gap;
    }
    return spans;
}

}  // namespace ui
