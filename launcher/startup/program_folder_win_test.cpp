#include "launcher/startup/program_folder_win.h"

#include <gtest/gtest.h>

#include "tests/support/test_folder.h"

namespace gatevane {
namespace {

TEST(ProgramFolder, IsTheExecutablesFolderCutToTheCallersBufferAndThePathLimit) {
    const std::string built = testing::BuildFolder();
    char folder[kPathCapacity];
    EXPECT_TRUE(GetProgramFolder(folder, sizeof folder));
    EXPECT_EQ(std::string(folder), built) << "without a trailing separator";
    char cut[] = "xxxxxx";
    EXPECT_TRUE(GetProgramFolder(cut, 5));
    EXPECT_EQ(std::string(cut, 6), built.substr(0, 4) + '\0' + 'x');

    EXPECT_EQ(ProgramFolderPath("/Quarnel.run"), built + "/Quarnel.run");
    const std::string longPath = ProgramFolderPath("\\" + std::string(400, 'n'));
    EXPECT_EQ(longPath, (built + "\\" + std::string(400, 'n')).substr(0, kPathCapacity - 1));
}

}  // namespace
}  // namespace gatevane
