#include "launcher/update/entry_names.h"

#include <gtest/gtest.h>

namespace gatevane {
namespace {

TEST(EntryNames, OnlyNamesWindowsStoresAsGivenInsideTheProgramFolderAreSafe) {
    for (const char* name :
         {"", "/Windows/x.dll", "\\x.dll", "C:\\x.dll", "a.dll:stream", "../Quarnel.exe",
          "TesselRes/../../x.dll", "TesselRes\\..\\..\\x.dll", "a//b.png", "a/./b.png",
          "TesselRes/", "..", "a\nb.png", "a\x8a\n.png", "\x81:x.dll", "\x81/../x.dll",
          // Windows would store these under another name, or cannot store them at all.
          "a.png.", "a.png ", "dir./a.png", "a?.png", "a*.png", "a<b>.png", "a|b.png", "a\"b",
          // Devices, with or without an extension.
          "NUL", "sub/con.txt", "COM1", "lpt9.log", "CONOUT$", "aux .txt",
          // The update's own working folder.
          "UpdateDownLoad/Quarnel.exe", "updatedownload\\a.dll"}) {
        EXPECT_FALSE(IsSafeEntryName(name)) << name;
    }
    for (const char* name : {"a.png", "TesselRes/Skin/a.png", "a\\b.png", "..a/b..x", "皮肤.png",
                             "\x81\x5C/x", "a b#%.png", "sub/UpdateDownLoad/a", "COM10", "console"}) {
        EXPECT_TRUE(IsSafeEntryName(name)) << name;
    }
}

TEST(EntryNames, OnlyTheTopQuarnelExeIsTheLauncherAndItIsServedAsDll) {
    for (const char* name : {"Quarnel.exe", "quarnel.EXE", "QUARNEL.exe"}) {
        EXPECT_TRUE(IsLauncherEntry(name)) << name;
        EXPECT_EQ(ServedEntryName(name), "Quarnel.dll") << name;
    }
    for (const char* name : {"NotQuarnel.exe", "sub/Quarnel.exe", "Quarnel.exe.bak", "Quarnel.dll"}) {
        EXPECT_FALSE(IsLauncherEntry(name)) << name;
        EXPECT_EQ(ServedEntryName(name), name);
    }
}

TEST(EntryNames, KeysAreEqualExactlyForNamesOfOneWindowsFile) {
    EXPECT_EQ(EntryKey("sub\\x.dat"), EntryKey("SUB/X.DAT"));
    EXPECT_EQ(EntryKey("ａｂ.txt"), EntryKey("ＡＢ.TXT")) << "full-width letters";
    EXPECT_EQ(EntryKey("α/я"), EntryKey("Α/Я")) << "Greek and Cyrillic";
    EXPECT_NE(EntryKey("a/x.dat"), EntryKey("b/x.dat"));
    // Trail bytes that look like letters or '\' are part of their character.
    EXPECT_NE(EntryKey("\x81\x61"), EntryKey("\x81\x41"));
    EXPECT_NE(EntryKey("\x81\x5C"), EntryKey("\x81/"));
}

}  // namespace
}  // namespace gatevane
