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
    // "kind colour picture" (kind 1: a picture).
    std::string Skin() const {
        return std::to_string(settings_.skinUsesImage) + " " + std::to_string(settings_.skinColor) +
               " " + std::to_string(settings_.skinImage);
    }

    testing::TestFolder folder_;
    testing::CurrentDirectory inFolder_{folder_.path()};
    LauncherSettings settings_;
};

TEST_F(LauncherSettingsTest, WithoutFilesEveryKeyTakesItsDefault) {
    EXPECT_TRUE(settings_.LoadSettings());
    for (const auto& entry : settings_.serverEntries) EXPECT_STREQ(entry, kBuiltInServerEntry);
    char address[64];
    EXPECT_GT(UnscrambleText(kBuiltInServerEntry, address, sizeof address), 0);
    EXPECT_TRUE(settings_.selectedLine == 0 && settings_.UpdateOnStart);
    EXPECT_EQ(Skin() + " " + settings_.defaultLogonHost, "1 0 0 " + std::string(kBuiltInLogonHost));
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
    EXPECT_EQ(settings_.serverEntries[8] + std::string(" ") + settings_.GetServerEntry(8),
              longValue.substr(0, 259) + " " + longValue.substr(0, 259));
    EXPECT_STREQ(settings_.GetServerEntry(-1), "00aa") << "the selection out of range";

    settings_.SelectServerLine(7);
    LauncherSettings reread;
    reread.LoadServerList();
    EXPECT_EQ(reread.selectedLine, 7) << "stored at once";

    ::DeleteFileA(folder_.Path("ServerInfo.ini").c_str());
    folder_.MakeFolder("ServerInfo.ini");  // a folder in the file's place cannot be written
    settings_.SelectServerLine(5);
    EXPECT_EQ(settings_.selectedLine, 7) << "memory follows only a successful write";
}

TEST_F(LauncherSettingsTest, SkinKindColourAndPicture) {
    folder_.Write("SkinInfo.ini", "[Skin]\r\nKind=1\r\nColor=4278190335\r\nImage=11\r\n");
    settings_.LoadSkinInfo();
    EXPECT_EQ(Skin(), "0 4278190335 11");
    folder_.Write("SkinInfo.ini", "[Skin]\r\nKind=abc\r\nImage=x\r\n");
    settings_.LoadSkinInfo();
    EXPECT_EQ(Skin(), "1 0 0");
}

TEST_F(LauncherSettingsTest, TheOperatorMayNameOtherHostsAndAnUnusableOneKeepsTheBuiltIn) {
    folder_.Write("Gatevane.ini",
                  "[Hosts]\r\nLogonHost=127.0.0.5\r\nUpdateHost=127.0.0.1:8080\r\n"
                  "ForumHost=bbs.staging.example\r\nWebHost=evil.example/x?\r\n");
    settings_.LoadHostOverrides();
    const HallHosts& hosts = settings_.hosts;
    EXPECT_EQ(settings_.defaultLogonHost + " " + hosts.update + " " + hosts.forum + " " + hosts.web,
              "127.0.0.5 127.0.0.1:8080 bbs.staging.example " + HallHosts{}.web);
    EXPECT_EQ(hosts.pay, HallHosts{}.pay);
}

}  // namespace
}  // namespace gatevane
