#include "launcher/startup/launcher_settings_win.h"

#include <gtest/gtest.h>

#include <string>

#include "launcher/update/scramble.h"
#include "tests/support/test_folder.h"

namespace gatevane {
namespace {

// Each case reads its files from a fresh folder made the current directory, as the launcher reads
// them from its own current directory. Which line and host values count is the core's to decide.
class LauncherSettingsTest : public ::testing::Test {
protected:
    testing::TestFolder folder_;
    testing::CurrentDirectory inFolder_{folder_.path()};
    LauncherSettings settings_;
};

TEST_F(LauncherSettingsTest, WithoutFilesEveryKeyTakesItsDefault) {
    EXPECT_TRUE(settings_.LoadSettings());
    for (const auto& entry : settings_.serverEntries) EXPECT_STREQ(entry, kBuiltInServerEntry);
    char address[64];
    EXPECT_GT(UnscrambleText(kBuiltInServerEntry, address, sizeof address), 0);
    EXPECT_EQ(settings_.selectedLine, 0);
    EXPECT_TRUE(settings_.skinUsesImage);
    EXPECT_EQ(settings_.skinColor + settings_.skinImage, 0u);
    EXPECT_EQ(settings_.defaultLogonHost, kBuiltInLogonHost);
    EXPECT_TRUE(settings_.UpdateOnStart);
    EXPECT_FALSE(folder_.Exists("ServerInfo.ini"));
}

TEST_F(LauncherSettingsTest, ServerLinesAreReadCutToThePathLimitAndASelectionIsStoredAtOnce) {
    const std::string longValue(300, 'a');
    folder_.Write("ServerInfo.ini", "[logon]\r\nselected=12\r\nlogon0=00aa\r\nlogon1=\r\nlogon8=" +
                                        longValue + "\r\n");
    settings_.LoadServerList();
    EXPECT_EQ(settings_.selectedLine, 12);
    EXPECT_STREQ(settings_.serverEntries[1], "");
    EXPECT_STREQ(settings_.serverEntries[2], kBuiltInServerEntry);
    EXPECT_EQ(std::string(settings_.serverEntries[8]), longValue.substr(0, 259));
    EXPECT_EQ(std::string(settings_.GetServerEntry(8)), longValue.substr(0, 259));
    EXPECT_STREQ(settings_.GetServerEntry(-1), "00aa") << "the selection out of range";

    settings_.SelectServerLine(7);
    LauncherSettings reread;
    reread.LoadServerList();
    EXPECT_EQ(reread.selectedLine, 7);

    ::DeleteFileA(folder_.Path("ServerInfo.ini").c_str());
    folder_.MakeFolder("ServerInfo.ini");  // a folder in the file's place cannot be written
    settings_.SelectServerLine(5);
    EXPECT_EQ(settings_.selectedLine, 7) << "memory follows only a successful write";
}

TEST_F(LauncherSettingsTest, SkinKindColourAndPicture) {
    folder_.Write("SkinInfo.ini", "[Skin]\r\nKind=1\r\nColor=4278190335\r\nImage=11\r\n");
    settings_.LoadSkinInfo();
    EXPECT_FALSE(settings_.skinUsesImage);
    EXPECT_EQ(settings_.skinColor, 4278190335u);
    EXPECT_EQ(settings_.skinImage, 11u);

    folder_.Write("SkinInfo.ini", "[Skin]\r\nKind=abc\r\nImage=x\r\n");
    settings_.LoadSkinInfo();
    EXPECT_TRUE(settings_.skinUsesImage);
    EXPECT_EQ(settings_.skinImage, 0u);
}

TEST_F(LauncherSettingsTest, TheOperatorMayNameOtherHostsAndAnUnusableOneKeepsTheBuiltIn) {
    folder_.Write("Gatevane.ini",
                  "[Hosts]\r\nLogonHost=127.0.0.5\r\nUpdateHost=127.0.0.1:8080\r\n"
                  "ForumHost=bbs.staging.example\r\nWebHost=evil.example/x?\r\n");
    settings_.LoadHostOverrides();
    EXPECT_EQ(settings_.defaultLogonHost, "127.0.0.5");
    EXPECT_EQ(settings_.hosts.update, "127.0.0.1:8080");
    EXPECT_EQ(settings_.hosts.forum, "bbs.staging.example");
    EXPECT_EQ(settings_.hosts.web, HallHosts{}.web);
    EXPECT_EQ(settings_.hosts.pay, HallHosts{}.pay);
}

}  // namespace
}  // namespace gatevane
