#include "launcher/common/ansi_text.h"

#include <gtest/gtest.h>

namespace gatevane {
namespace {

TEST(AnsiText, CaseAndCutsLeaveTheBytesOfChineseCharactersWhole) {
    EXPECT_EQ(LowerAnsiText("OstrelPet.DLL"), "ostrelpet.dll");
    // "亅AB": 0x81 0x5A is one GBK character, its trail byte a 'Z' that stays.
    EXPECT_EQ(LowerAnsiText("\x81\x5A\x41\x42"), "\x81\x5A\x61\x62");
    EXPECT_EQ(LowerAnsiText("宠物PET"), "宠物pet");
    EXPECT_TRUE(EqualIgnoringCase("OSTRELPET.DLL", "OstrelPet.dll"));
    EXPECT_FALSE(EqualIgnoringCase("OstrelPet.dll.exe", "OstrelPet.dll"));
    EXPECT_FALSE(EqualIgnoringCase("\x81\x5A", "\x81\x7A"));
    char out[6];
    EXPECT_EQ(CopyAnsiText("abcdefgh", out, sizeof out), 5u);
    EXPECT_STREQ(out, "abcde");
    EXPECT_EQ(CopyAnsiText("a身份证", out, sizeof out), 5u);  // 'a' and two characters
    EXPECT_STREQ(out, "a身份");
    EXPECT_EQ(CopyAnsiText("身份证", out, sizeof out), 4u);  // a third would need 6 bytes + 1
    EXPECT_STREQ(out, "身份");
    EXPECT_EQ(CopyAnsiText("ab\x81", out, sizeof out), 2u);  // a lone lead byte is dropped
    EXPECT_EQ(CopyAnsiText("x", out, 0), 0u);
}

}  // namespace
}  // namespace gatevane
