// The nickname word lists as the program holds them: GBK bytes, since the build compiles with
// -fexec-charset=GBK, as are the literals below, so they compare byte for byte.
#include "launcher/register/nickname_words.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/gbk_hanzi.h"

namespace gatevane {
namespace {

using testing::CountGbkHanzi;

TEST(CountGbkHanzi, CountsHanziOfEveryAreaAndNothingElse) {
    EXPECT_EQ(CountGbkHanzi("\xB0\xA1\xD5\xD4"), 2);  // GB2312
    EXPECT_EQ(CountGbkHanzi("\x81\x40\xAA\x40"), 2);  // GBK/3, GBK/4
    for (const char* other :
         {"A",
          "\xB0\xA1"
          "A",
          "\xB0\xA1\xB0", "\xA1\xA1", "\xA3\xC1", "\xA3\xB1", "\x81\x7F", "\xAA\xA1", "\xA8\x40"}) {
        EXPECT_EQ(CountGbkHanzi(other), -1);
    }
    EXPECT_EQ(CountGbkHanzi("赵"), 1) << "the build must turn literals into GBK";
}

struct ListCase {
    const char* name;
    const WordList& (*list)();
    std::size_t size;
    std::vector<const char*> head;  // the first entries, in order
    int minCharacters;
    int maxCharacters;
};

class NicknameWordList : public ::testing::TestWithParam<ListCase> {};

TEST_P(NicknameWordList, HasItsSizeAndFirstEntries) {
    const ListCase& c = GetParam();
    const WordList& list = c.list();
    ASSERT_EQ(list.size, c.size);
    for (std::size_t i = 0; i < c.head.size(); ++i) EXPECT_STREQ(list[i], c.head[i]) << i;
}

TEST_P(NicknameWordList, EntriesAreDistinctChineseTextsOfTheListsKind) {
    const ListCase& c = GetParam();
    const WordList& list = c.list();
    std::set<std::string> seen;
    for (std::size_t i = 0; i < list.size; ++i) {
        ASSERT_NE(list[i], nullptr) << i;
        EXPECT_TRUE(seen.insert(list[i]).second) << "entry " << i << " repeats";
        const int characters = CountGbkHanzi(list[i]);
        EXPECT_GE(characters, c.minCharacters) << "entry " << i;
        EXPECT_LE(characters, c.maxCharacters) << "entry " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllLists, NicknameWordList,
    ::testing::Values(
        ListCase{
            "Surnames", &Surnames, 496, {"赵", "钱", "孙", "李", "周", "吴", "郑", "王"}, 1, 2},
        ListCase{"GivenNamesA", &GivenNamesA, 2190, {"之玉", "越泽", "锦程", "修杰"}, 2, 2},
        ListCase{"GivenNamesB", &GivenNamesB, 4063, {"醉易", "紫萱", "紫霜", "紫南"}, 1, 3},
        ListCase{"CharactersC", &CharactersC, 116, {"乞", "戾", "嵩", "邑", "瑛"}, 1, 1},
        ListCase{"CharactersD", &CharactersD, 96, {"姿", "芷", "芝", "筝"}, 1, 1}),
    [](const ::testing::TestParamInfo<ListCase>& param) { return std::string(param.param.name); });

TEST(NicknameWords, GivenNamesBAreMostlyTwoCharactersAndSurnamesIncludeCompoundOnes) {
    std::size_t twoCharacters = 0;
    for (std::size_t i = 0; i < GivenNamesB().size; ++i) {
        twoCharacters += CountGbkHanzi(GivenNamesB()[i]) == 2;
    }
    EXPECT_GE(twoCharacters * 100, GivenNamesB().size * 95);

    std::size_t compound = 0;
    for (std::size_t i = 0; i < Surnames().size; ++i) compound += CountGbkHanzi(Surnames()[i]) == 2;
    EXPECT_GE(compound, 40u);
}

}  // namespace
}  // namespace gatevane
