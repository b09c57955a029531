#include "launcher/startup/process_control_win.h"

#include <gtest/gtest.h>

#include "tests/support/message_box_closer.h"
#include "tests/support/test_folder.h"

namespace gatevane {
namespace {

using testing::EndsWithin;
using testing::StartProgram;
using testing::TestFolder;

TEST(EndProcessByName, EndsTheFirstPetWhateverTheLetterCase) {
    TestFolder folder;
    folder.CopyBuilt("pet_standin.exe", "OSTRELPET.DLL");
    folder.CopyBuilt("pet_standin.exe", "second\\ostrelpet.dll");
    auto first = StartProgram(folder.Path("OSTRELPET.DLL"), folder.path());
    auto second = StartProgram(folder.Path("second\\ostrelpet.dll"), folder.path());
    ASSERT_TRUE(first && second);

    EXPECT_TRUE(EndProcessByName("OstrelPet.dll"));
    unsigned long exitCode = 99;
    bool firstEnded = EndsWithin(first, 5000, &exitCode);
    bool secondEnded = EndsWithin(second, firstEnded ? 300 : 5000, &exitCode);
    EXPECT_NE(firstEnded, secondEnded) << "exactly one pet is ended";
    EXPECT_EQ(exitCode, 0u);

    EXPECT_TRUE(EndProcessByName("OstrelPet.dll"));
    EXPECT_TRUE(EndsWithin(first, 5000) && EndsWithin(second, 5000));
    EXPECT_FALSE(EndProcessByName("OstrelPet.dll"));
}

TEST(EndProcessByName, OnlyTheWholeNameMatches) {
    TestFolder folder;
    folder.CopyBuilt("pet_standin.exe", "OstrelPet.dll.exe");
    auto lookalike = StartProgram(folder.Path("OstrelPet.dll.exe"), folder.path());
    ASSERT_TRUE(lookalike);
    EXPECT_FALSE(EndProcessByName("OstrelPet.dll"));
    EXPECT_FALSE(EndsWithin(lookalike, 300));
    EXPECT_TRUE(EndProcessByName("ostrelpet.DLL.EXE"));
    EXPECT_TRUE(EndsWithin(lookalike, 5000));
}

TEST(LaunchProcess, StartsTheProgramWithAnEmptyCommandLineWithoutWaiting) {
    TestFolder folder;
    folder.CopyBuilt("Quarnel.run", "host.exe");
    EXPECT_TRUE(LaunchProcess(folder.Path("host.exe").c_str()));
    ASSERT_TRUE(testing::WaitUntil(10000, [&] { return folder.Exists("host.exe.cmdline"); }));
    EXPECT_NE(folder.Read("host.exe.cmdline").find("\narguments: []\n"), std::string::npos);
}

TEST(LaunchProcess, AProgramThatCannotStartIsReportedWithItsPath) {
    TestFolder folder;
    folder.Write("broken.exe", "not a program");
    const std::string missing = folder.Path("missing.exe");
    testing::MessageBoxCloser closer("温馨提示");
    EXPECT_FALSE(LaunchProcess(missing.c_str()));
    EXPECT_FALSE(LaunchProcess(folder.Path("broken.exe").c_str()));
    ASSERT_EQ(closer.Texts().size(), 2u);
    EXPECT_EQ(closer.Texts()[0], "创建宿主进程失败!(" + missing + ")");
    EXPECT_EQ(closer.Texts()[1], "创建宿主进程失败!(" + folder.Path("broken.exe") + ")");
}

}  // namespace
}  // namespace gatevane
