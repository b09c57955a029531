#include "launcher/update/update_files.h"

#include <gtest/gtest.h>

namespace gatevane {
namespace {

TEST(UpdateFiles, BaseAddressesMustBePlainHttp) {
    for (const char* address : {"http://127.0.0.1:8080/a/b", "http://h/a%20b/~x_y-z.1/"}) {
        EXPECT_TRUE(IsPlainBaseAddress(address)) << address;
    }
    for (const char* address :
         {"", "http://h", "https://h/x/", "HTTP://h/x/", "http://h/../x/", "http://h/x/./",
          "http://h/x?y=1/", "http://h/x#y/", "http://user@h/x/", "http://h:0/x/",
          "http://h:65536/x/", "http://h:/x/", "http:///x/", "http://-h/x/", "http://h/a b/",
          "http://h/%zz/", "http://h/%4/", "http://h/\xb0\xa1/"}) {
        EXPECT_FALSE(IsPlainBaseAddress(address)) << address;
    }
}

// Names, folders and the launcher's own name as the Wine download tests see them; here the escapes
// and the names no path is made for.
TEST(UpdateFiles, FileUrlsEscapeWhatAPathCannotCarryAndUnsafeNamesGetNoPath) {
    EXPECT_EQ(FileUrl("http://h/f/", "TesselRes\\Skin/a b#1%.png"),
              "http://h/f/TesselRes/Skin/a%20b%231%25.png");
    EXPECT_EQ(FileUrl("http://h/f/", "quarnel.EXE"), "http://h/f/Quarnel.dll");
    EXPECT_EQ(FileUrl("http://h/f/", "sub/Quarnel.exe"), "http://h/f/sub/Quarnel.exe");
    // Both bytes of a GBK character are escaped: its '\' trail byte separates nothing.
    EXPECT_EQ(FileUrl("http://h/f/", "\x81\x5C/\xc6\xa4.png"), "http://h/f/%81%5C/%C6%A4.png");

    const char kHall[] = "C:\\Games\\Hall";
    EXPECT_EQ(ReadyPath(kHall, "b/x.dat"), "C:\\Games\\Hall\\UpdateDownLoad\\b\\x.dat");
    EXPECT_EQ(InstallPath(kHall, "Quarnel.exe"), "") << "start-up swaps the launcher in";
    EXPECT_EQ(InstallPath(kHall, "sub/Quarnel.exe"), "C:\\Games\\Hall\\sub\\Quarnel.exe");
    for (const char* name : {"../x.dll", "UpdateDownLoad/Quarnel.exe", "COM1", "a.png."}) {
        EXPECT_EQ(DownloadPath(kHall, name), "") << name;
        EXPECT_EQ(InstallPath(kHall, name), "") << name;
    }
}

TEST(UpdateFiles, ParentFolderNeverEndsInsideAGbkCharacter) {
    EXPECT_EQ(ParentFolder("C:\\Hall\\a\\b.dll"), "C:\\Hall\\a");
    EXPECT_EQ(ParentFolder("C:\\Hall\\\x81\x5C.dll"), "C:\\Hall");
    EXPECT_EQ(ParentFolder("b.dll"), "");
}

}  // namespace
}  // namespace gatevane
