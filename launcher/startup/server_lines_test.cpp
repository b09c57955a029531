#include "launcher/startup/server_lines.h"

#include <gtest/gtest.h>

namespace gatevane {
namespace {

// Indexes 0 to 8 stand for themselves, others for line 0; a negative one asks for the selected
// line, repaired to 0 when it is out of range.
TEST(ServerEntryIndex, PicksTheLineAndRepairsABadSelection) {
    const struct {
        int index, selected, entry, selectedAfter;
    } cases[] = {{0, 4, 0, 4},  {8, 4, 8, 4},   {9, 4, 0, 4},  {1000, 4, 0, 4},
                 {-1, 6, 6, 6}, {-1, 12, 0, 0}, {-7, -3, 0, 0}};
    for (const auto& c : cases) {
        int selected = c.selected;
        EXPECT_EQ(ServerEntryIndex(c.index, selected), c.entry) << c.index << " " << c.selected;
        EXPECT_EQ(selected, c.selectedAfter) << c.index << " " << c.selected;
    }
}

TEST(ServerLineToStore, OutOfRangeSelectsLineZeroAndTheSameLineWritesNothing) {
    EXPECT_EQ(ServerLineToStore(5, 0), 5);
    EXPECT_EQ(ServerLineToStore(-3, 7), 0);
    EXPECT_EQ(ServerLineToStore(9, 7), 0);
    EXPECT_EQ(ServerLineToStore(7, 7), std::nullopt);
    EXPECT_EQ(ServerLineToStore(9, 0), std::nullopt);
}

TEST(LineOptionForEntry, GroupsTheNineEntriesIntoThreeLines) {
    const char* expected[] = {"LogonLineAuto", "LogonLineAuto", "LogonLineAuto",
                              "LogonLineAuto", "LogonLineAuto", "LogonLine0",
                              "LogonLine0",    "LogonLine2",    "LogonLine2"};
    for (int index = 0; index < kServerLineCount; ++index) {
        EXPECT_STREQ(LineOptionForEntry(index), expected[index]) << index;
    }
    EXPECT_STREQ(LineOptionForEntry(-1), "LogonLineAuto");
}

}  // namespace
}  // namespace gatevane
