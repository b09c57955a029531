#include "launcher/update/file_md5_win.h"

#include <windows.h>
#include <gtest/gtest.h>

#include "base/unique_handle_win.h"
#include "launcher/update/md5.h"
#include "tests/support/test_folder.h"

namespace gatevane {
namespace {

using testing::TestFolder;

TEST(FileMd5Hex, DigestsWholeFilesOfAnySize) {
    TestFolder folder;
    folder.Write("empty.bin", "");
    folder.Write("abc.txt", "abc");
    std::string large;
    for (int i = 0; i < 300000; ++i) large += static_cast<char>(i * 31 + i / 7);
    folder.Write("large.bin", large);
    Md5 md5;
    md5.Update(large.data(), large.size());

    EXPECT_EQ(FileMd5Hex(folder.Path("empty.bin").c_str()), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(FileMd5Hex(folder.Path("abc.txt").c_str()), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(FileMd5Hex(folder.Path("large.bin").c_str()), ChecksumText(md5.Finish()));
}

TEST(FileMd5Hex, TakesPathsWithEitherSeparator) {
    TestFolder folder;
    folder.MakeFolder("TesselRes\\Skin");
    folder.Write("TesselRes/Skin/a.xml", "abc");
    const std::string mixed = folder.path() + "/TesselRes\\Skin/a.xml";
    EXPECT_EQ(FileMd5Hex(mixed.c_str()), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(FileMd5Hex, MissingFoldersAndFilesHaveNoChecksum) {
    TestFolder folder;
    folder.MakeFolder("sub");
    EXPECT_EQ(FileMd5Hex(folder.Path("absent.dll").c_str()), "");
    EXPECT_EQ(FileMd5Hex(folder.Path("sub").c_str()), "");
}

TEST(FileMd5Hex, DeniesOtherReadersButNotWriters) {
    TestFolder folder;
    folder.Write("in-use.dll", "abc");
    const std::string path = folder.Path("in-use.dll");
    {
        UniqueFileHandle writer(::CreateFileA(path.c_str(), GENERIC_WRITE,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(writer);
        EXPECT_EQ(FileMd5Hex(path.c_str()), "900150983cd24fb0d6963f7d28e17f72");
    }
    UniqueFileHandle reader(::CreateFileA(path.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(reader);
    EXPECT_EQ(FileMd5Hex(path.c_str()), "");
}

}  // namespace
}  // namespace gatevane
