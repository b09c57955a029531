#include "toolkit/line_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace ui {
namespace {

const LineItem kStretched{};

// The spans ArrangeLine gives, as "start-end" pairs.
std::string Spans(int start, int length, const std::vector<LineItem>& items, int gap) {
    std::string text;
    for (const LineSpan& span : ArrangeLine(start, length, items, gap)) {
        text += std::to_string(span.start) + "-" + std::to_string(span.end) + " ";
    }
    return text;
}

// Remainders go to the first stretched children; without room they get nothing and no size is
// negative: fixed children keep their size even when they alone overflow the line, and a negative
// length (a layout squeezed inside its inset) gives empty spans.
TEST(LineLayout, RemaindersAndOverflowsByExampleAndAnyMixFillsTheLineWhenThereIsRoom) {
    EXPECT_EQ(Spans(10, 0, {}, 8), "");
    EXPECT_EQ(Spans(0, 11, {kStretched, {1}, kStretched, kStretched}, 0), "0-4 4-5 5-8 8-11 ");
    EXPECT_EQ(Spans(0, 100, {kStretched, {80}, {0, 2, 2}, {50}}, 0), "0-0 0-80 82-82 84-134 ");
    EXPECT_EQ(Spans(0, 10, {{0, 8, 8}, {0, 8, 8}}, 20), "8-8 44-44 ");
    EXPECT_EQ(Spans(50, -30, {kStretched, kStretched}, 0), "50-50 50-50 ");
    // Every mix of fixed and stretched children with margins and gaps, checked against what a skin
    // author relies on: fixed sizes are kept, stretched children differ by at most one pixel,
    // nothing overlaps, and a line with stretched children ends exactly at its end.
    const std::vector<std::vector<LineItem>> lines = {
        {kStretched},
        {kStretched, kStretched},
        {{13}, {0, 2, 3}, {0, 0, 1}, {7, 1, 1}},
        {{0, 5, 5}, {1}, kStretched, {0, 1, 0}, {0, 0, 2}},
        {{40}, kStretched, {40}},
    };
    for (const auto& items : lines) {
        for (int length = 0; length <= 150; ++length) {
            for (int gap : {0, 1, 6}) {
                SCOPED_TRACE(testing::Message() << "length " << length << " gap " << gap);
                std::vector<LineSpan> spans = ArrangeLine(20, length, items, gap);
                ASSERT_EQ(spans.size(), items.size());
                int used = gap * static_cast<int>(items.size() - 1);
                int smallest = length, largest = 0, at = 20;
                for (std::size_t i = 0; i < items.size(); ++i) {
                    const LineItem& item = items[i];
                    used += item.fixedSize + item.marginBefore + item.marginAfter;
                    const int size = spans[i].end - spans[i].start;
                    ASSERT_GE(size, 0) << "child " << i;
                    EXPECT_EQ(spans[i].start, at + item.marginBefore) << "child " << i;
                    if (item.fixedSize > 0) {
                        EXPECT_EQ(size, item.fixedSize) << "child " << i;
                    } else {
                        smallest = std::min(smallest, size);
                        largest = std::max(largest, size);
                    }
                    at = spans[i].end + item.marginAfter + gap;
                }
                EXPECT_LE(largest - smallest, 1);
                // Without room the stretched children are empty and the rest overflows the line.
                EXPECT_EQ(at - gap, 20 + std::max(length, used));
            }
        }
    }
}

}  // namespace
}  // namespace ui
