#include "launcher/update/file_md5_win.h"

#include <windows.h>
#include <gtest/gtest.h>

#include "base/unique_handle_win.h"
#include "tests/support/test_folder.h"

namespace gatevane {
namespace {

constexpr char kAbc[] = "900150983cd24fb0d6963f7d28e17f72";

// The digest itself over reads of every size is the core's (StreamChecksumText).
TEST(FileMd5Hex, DigestsAFileByEitherSeparatorWhileWrittenButNotWhileReadElsewhere) {
    testing::TestFolder folder;
    folder.MakeFolder("TesselRes\\Skin");
    folder.Write("TesselRes/Skin/a.xml", "abc");
    const std::string path = folder.Path("TesselRes\\Skin\\a.xml");
    EXPECT_EQ(FileMd5Hex((folder.path() + "/TesselRes\\Skin/a.xml").c_str()), kAbc);
    EXPECT_EQ(FileMd5Hex(folder.Path("absent.dll").c_str()), "");
    EXPECT_EQ(FileMd5Hex(folder.Path("TesselRes").c_str()), "") << "a folder";
    // Opened elsewhere for writing, then for reading: the digest shares writing only.
    for (const DWORD access : {DWORD{GENERIC_WRITE}, DWORD{GENERIC_READ}}) {
        const UniqueFileHandle other(::CreateFileA(path.c_str(), access,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                   OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(other);
        EXPECT_EQ(FileMd5Hex(path.c_str()), access == GENERIC_WRITE ? kAbc : "") << access;
    }
}

}  // namespace
}  // namespace gatevane
