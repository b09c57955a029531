#include "launcher/startup/program_folder_win.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/test_folder.h"

namespace gatevane {
namespace {

TEST(GetProgramFolder, IsTheExecutablesFolderWithoutTrailingSeparator) {
    char folder[kPathCapacity];
    EXPECT_TRUE(GetProgramFolder(folder, sizeof folder));
    EXPECT_EQ(std::string(folder), testing::BuildFolder());
    ASSERT_GT(std::strlen(folder), 3u);
    EXPECT_NE(folder[std::strlen(folder) - 1], '\\');
}

TEST(GetProgramFolder, CutsToTheCallersBuffer) {
    char folder[6];
    std::memset(folder, 'x', sizeof folder);
    EXPECT_TRUE(GetProgramFolder(folder, 5));
    EXPECT_EQ(std::string(folder), testing::BuildFolder().substr(0, 4));
    EXPECT_EQ(folder[5], 'x');
}

TEST(ProgramFolderPath, AppendsTheTailAndKeepsToThePathLimit) {
    EXPECT_EQ(ProgramFolderPath("/Quarnel.run"), testing::BuildFolder() + "/Quarnel.run");
    const std::string longPath = ProgramFolderPath("\\" + std::string(400, 'n'));
    EXPECT_EQ(longPath.size(), kPathCapacity - 1);
    EXPECT_EQ(longPath.substr(0, testing::BuildFolder().size() + 2),
              testing::BuildFolder() + "\\n");
}

}  // namespace
}  // namespace gatevane
