#include "launcher/update/update_files.h"

#include <gtest/gtest.h>

#include "launcher/update/entry_names.h"

namespace gatevane {
namespace {

TEST(UpdateFiles, PlainHttpBasesSafeNamesEscapedUrlsAndPathsAndKeysOfOneWindowsFile) {
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
    // Names, folders and the launcher's own name as the Wine download tests see them; here the
    // escapes and the names no path is made for.
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
    EXPECT_EQ(ParentFolder("C:\\Hall\\a\\b.dll"), "C:\\Hall\\a");
    EXPECT_EQ(ParentFolder("C:\\Hall\\\x81\x5C.dll"), "C:\\Hall");
    EXPECT_EQ(ParentFolder("b.dll"), "");
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
    for (const char* name :
         {"a.png", "TesselRes/Skin/a.png", "a\\b.png", "..a/b..x", "皮肤.png", "\x81\x5C/x",
          "a b#%.png", "sub/UpdateDownLoad/a", "COM10", "console"}) {
        EXPECT_TRUE(IsSafeEntryName(name)) << name;
    }
    for (const char* name : {"Quarnel.exe", "quarnel.EXE", "QUARNEL.exe"}) {
        EXPECT_TRUE(IsLauncherEntry(name)) << name;
        EXPECT_EQ(ServedEntryName(name), "Quarnel.dll") << name;
    }
    for (const char* name :
         {"NotQuarnel.exe", "sub/Quarnel.exe", "Quarnel.exe.bak", "Quarnel.dll"}) {
        EXPECT_FALSE(IsLauncherEntry(name)) << name;
        EXPECT_EQ(ServedEntryName(name), name);
    }
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
