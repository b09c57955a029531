#pragma once
// Placing the children of a horizontal or vertical layout along its main axis: fixed children get
// their size, the others share what is left equally (never below zero), and margins and the gap
// between children are kept. Platform-free.

#include <vector>

namespace ui {

struct LineItem {
    int fixedSize = 0;  // 0: stretch
    int marginBefore = 0;
    int marginAfter = 0;
};

struct LineSpan {
    int start = 0;
    int end = 0;
};

// `start`/`length`: the layout's inner span; `gap`: space between neighbouring children.
std::vector<LineSpan> ArrangeLine(int start, int length, const std::vector<LineItem>& items,
                                  int gap);

}  // namespace ui
