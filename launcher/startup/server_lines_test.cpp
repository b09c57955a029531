#include "launcher/startup/server_lines.h"

#include <gtest/gtest.h>

namespace gatevane {
namespace {

TEST(ServerEntryIndex, PositiveIndexesStandForThemselvesUpToEight) {
    int selected = 4;
    EXPECT_EQ(ServerEntryIndex(0, selected), 0);
    EXPECT_EQ(ServerEntryIndex(8, selected), 8);
    EXPECT_EQ(ServerEntryIndex(9, selected), 0);
    EXPECT_EQ(ServerEntryIndex(1000, selected), 0);
    EXPECT_EQ(selected, 4);
}

TEST(ServerEntryIndex, ANegativeIndexAsksForTheSelectedLineRepairedWhenOutOfRange) {
    int selected = 6;
    EXPECT_EQ(ServerEntryIndex(-1, selected), 6);
    EXPECT_EQ(selected, 6);
    selected = 12;
    EXPECT_EQ(ServerEntryIndex(-1, selected), 0);
    EXPECT_EQ(selected, 0);
    selected = -3;
    EXPECT_EQ(ServerEntryIndex(-7, selected), 0);
    EXPECT_EQ(selected, 0);
}

TEST(ServerLineToStore, OutOfRangeSelectsLineZeroAndTheSameLineWritesNothing) {
    EXPECT_EQ(ServerLineToStore(5, 0), 5);
    EXPECT_EQ(ServerLineToStore(-3, 7), 0);
    EXPECT_EQ(ServerLineToStore(9, 7), 0);
    EXPECT_EQ(ServerLineToStore(7, 7), std::nullopt);
    EXPECT_EQ(ServerLineToStore(9, 0), std::nullopt);
    EXPECT_EQ(ServerLineToStore(0, 12), 0);  // a bad stored value is replaced
}

TEST(LineOptionForEntry, GroupsTheNineEntriesIntoThreeLines) {
    const char* expected[] = {"LogonLineAuto", "LogonLineAuto", "LogonLineAuto",
                              "LogonLineAuto", "LogonLineAuto", "LogonLine0",
                              "LogonLine0",    "LogonLine2",    "LogonLine2"};
    for (int index = 0; index < kServerLineCount; ++index) {
        EXPECT_STREQ(LineOptionForEntry(index), expected[index]) << index;
    }
    EXPECT_STREQ(LineOptionForEntry(-1), "LogonLineAuto");
    EXPECT_STREQ(LineOptionForEntry(12), "LogonLineAuto");
}

}  // namespace
}  // namespace gatevane
