#include "launcher/startup/process_control_win.h"

#include <gtest/gtest.h>

#include "tests/support/test_folder.h"

namespace gatevane {
namespace {

using testing::EndsWithin;
using testing::StartProgram;

// Start-up's tests see a pet ended and LaunchProcess start, fail and report.
TEST(EndProcessByName, EndsOnePetPerCallMatchingItsWholeNameInAnyCase) {
    testing::TestFolder folder;
    folder.CopyBuilt("pet_standin.exe", "OSTRELPET.DLL");
    folder.CopyBuilt("pet_standin.exe", "second\\ostrelpet.dll");
    folder.CopyBuilt("pet_standin.exe", "OstrelPet.dll.exe");
    auto first = StartProgram(folder.Path("OSTRELPET.DLL"), folder.path());
    auto second = StartProgram(folder.Path("second\\ostrelpet.dll"), folder.path());
    auto lookalike = StartProgram(folder.Path("OstrelPet.dll.exe"), folder.path());
    ASSERT_TRUE(first && second && lookalike);

    EXPECT_TRUE(EndProcessByName("OstrelPet.dll"));
    const bool firstEnded = EndsWithin(first, 5000);
    EXPECT_NE(firstEnded, EndsWithin(second, firstEnded ? 300 : 5000)) << "exactly one pet ends";
    EXPECT_TRUE(EndProcessByName("OstrelPet.dll"));
    EXPECT_TRUE(EndsWithin(first, 5000) && EndsWithin(second, 5000));
    EXPECT_FALSE(EndProcessByName("OstrelPet.dll") || EndsWithin(lookalike, 300));
    EXPECT_TRUE(EndProcessByName("ostrelpet.DLL.EXE") && EndsWithin(lookalike, 5000));
}

}  // namespace
}  // namespace gatevane
