#include "toolkit/line_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <vector>

namespace ui {

void PrintTo(const LineSpan& span, std::ostream* out) {
    *out << "[" << span.start << "," << span.end << ")";
}

bool operator==(const LineSpan& a, const LineSpan& b) {
    return a.start == b.start && a.end == b.end;
}

namespace {

constexpr int kStretch = 0;

LineItem Fixed(int size, int before = 0, int after = 0) {
    return LineItem{size, before, after};
}

LineItem Stretched(int before = 0, int after = 0) {
    return LineItem{kStretch, before, after};
}

// Remainders go to the first stretched children; without room they get nothing and no size is
// negative.
TEST(LineLayout, RemaindersAndOverflowsByExample) {
    const struct {
        int start, length;
        std::vector<LineItem> items;
        int gap;
        std::vector<LineSpan> spans;
    } cases[] = {
        {10, 0, {}, 8, {}},
        {0,
         11,
         {Stretched(), Fixed(1), Stretched(), Stretched()},
         0,
         {{0, 4}, {4, 5}, {5, 8}, {8, 11}}},
        // The fixed children alone need 130 of 100: they keep their size, the others collapse.
        {0,
         100,
         {Stretched(), Fixed(80), Stretched(2, 2), Fixed(50)},
         0,
         {{0, 0}, {0, 80}, {82, 82}, {84, 134}}},
        // Margins and gaps alone overflowing the line.
        {0, 10, {Stretched(8, 8), Stretched(8, 8)}, 20, {{8, 8}, {44, 44}}},
        // A negative length (a layout squeezed inside its inset).
        {50, -30, {Stretched(), Stretched()}, 0, {{50, 50}, {50, 50}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ArrangeLine(c.start, c.length, c.items, c.gap), c.spans)
            << c.start << " " << c.length << " gap " << c.gap;
    }
}

// Every mix of fixed and stretched children with margins and gaps, checked against what a skin
// author relies on: fixed sizes are kept, stretched children differ by at most one pixel, nothing
// overlaps, and a line with stretched children ends exactly at its end.
TEST(LineLayout, AnyMixFillsTheLineExactlyWhenThereIsRoom) {
    const std::vector<std::vector<LineItem>> lines = {
        {Stretched()},
        {Stretched(), Stretched()},
        {Fixed(13), Stretched(2, 3), Stretched(0, 1), Fixed(7, 1, 1)},
        {Stretched(5, 5), Fixed(1), Stretched(), Stretched(1, 0), Stretched(0, 2)},
        {Fixed(40), Stretched(), Fixed(40)},
    };
    for (const auto& items : lines) {
        for (int length = 0; length <= 150; ++length) {
            for (int gap : {0, 1, 6}) {
                SCOPED_TRACE(testing::Message() << "length " << length << " gap " << gap);
                std::vector<LineSpan> spans = ArrangeLine(20, length, items, gap);
                ASSERT_EQ(spans.size(), items.size());
                int used = gap * static_cast<int>(items.size() - 1);
                int smallest = length;
                int largest = 0;
                int at = 20;
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
