// The nickname word lists as the program holds them: distinct GBK texts of their kind (their sizes
// are checked when they compile).
#include "launcher/register/nickname_words.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/gbk_hanzi.h"

namespace gatevane {
namespace {

using testing::CountGbkHanzi;

struct ListCase {
    const char* name;
    const WordList& (*list)();
    int minCharacters;
    int maxCharacters;
};

class NicknameWordList : public ::testing::TestWithParam<ListCase> {};

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
        ListCase{"Surnames", &Surnames, 1, 2}, ListCase{"GivenNamesA", &GivenNamesA, 2, 2},
        ListCase{"GivenNamesB", &GivenNamesB, 1, 3}, ListCase{"CharactersC", &CharactersC, 1, 1},
        ListCase{"CharactersD", &CharactersD, 1, 1}),
    [](const ::testing::TestParamInfo<ListCase>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace gatevane
