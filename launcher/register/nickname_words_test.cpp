// Checks on the nickname word lists as they are stored in the program: GBK
// bytes, since the build compiles with -fexec-charset=GBK. The string literals
// below are turned into GBK the same way, so they compare byte for byte.

#include "launcher/register/nickname_words.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace gatevane {
namespace {

// True when the two bytes form a Chinese character in one of GBK's hanzi
// areas: GB2312's (GBK/2), GBK/3 or GBK/4. Symbols, full-width letters and
// digits, and the user-defined areas all fall outside these ranges.
bool IsGbkHanzi(unsigned char lead, unsigned char trail) {
    if (lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE) {
        return true;  // GBK/2, the GB2312 hanzi
    }
    if (trail == 0x7F) {
        return false;
    }
    if (lead >= 0x81 && lead <= 0xA0 && trail >= 0x40 && trail <= 0xFE) {
        return true;  // GBK/3
    }
    if (lead >= 0xAA && lead <= 0xFE && trail >= 0x40 && trail <= 0xA0) {
        return true;  // GBK/4
    }
    return false;
}

// Number of GBK Chinese characters in `text`, or -1 if any byte pair in it
// is not one (ASCII, punctuation, a dangling lead byte, ...).
int CountGbkHanzi(const char* text) {
    const std::size_t length = std::strlen(text);
    if (length % 2 != 0) {
        return -1;
    }
    for (std::size_t i = 0; i < length; i += 2) {
        if (!IsGbkHanzi(static_cast<unsigned char>(text[i]),
                        static_cast<unsigned char>(text[i + 1]))) {
            return -1;
        }
    }
    return static_cast<int>(length / 2);
}

std::string Hex(const char* text) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (const char* p = text; *p != '\0'; ++p) {
        const unsigned char byte = static_cast<unsigned char>(*p);
        if (!out.empty()) {
            out += ' ';
        }
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0x0F];
    }
    return out;
}

// ---------------------------------------------------------------------------
// The counting helper itself.

TEST(NicknameWordsGbkCount, CountsHanziFromEveryArea) {
    EXPECT_EQ(CountGbkHanzi(""), 0);
    EXPECT_EQ(CountGbkHanzi("\xB0\xA1"), 1);              // first GB2312 hanzi
    EXPECT_EQ(CountGbkHanzi("\xF7\xFE"), 1);              // last GB2312 hanzi row
    EXPECT_EQ(CountGbkHanzi("\xB0\xA1\xD5\xD4\xB0\xA2"), 3);
    EXPECT_EQ(CountGbkHanzi("\x81\x40"), 1);              // GBK/3
    EXPECT_EQ(CountGbkHanzi("\xA0\xFE"), 1);              // GBK/3, last
    EXPECT_EQ(CountGbkHanzi("\xAA\x40"), 1);              // GBK/4
    EXPECT_EQ(CountGbkHanzi("\xFE\xA0"), 1);              // GBK/4, last
}

TEST(NicknameWordsGbkCount, RejectsEverythingElse) {
    EXPECT_EQ(CountGbkHanzi("A"), -1);                    // ASCII
    EXPECT_EQ(CountGbkHanzi("AB"), -1);                   // ASCII pair
    EXPECT_EQ(CountGbkHanzi("\xB0\xA1" "A"), -1);         // hanzi then ASCII
    EXPECT_EQ(CountGbkHanzi("\xB0\xA1\xB0"), -1);         // dangling lead byte
    EXPECT_EQ(CountGbkHanzi("\xA1\xA1"), -1);             // ideographic space
    EXPECT_EQ(CountGbkHanzi("\xA1\xA3"), -1);             // full stop
    EXPECT_EQ(CountGbkHanzi("\xA3\xC1"), -1);             // full-width A
    EXPECT_EQ(CountGbkHanzi("\xA3\xB1"), -1);             // full-width 1
    EXPECT_EQ(CountGbkHanzi("\x81\x7F"), -1);             // 0x7F is never a trail
    EXPECT_EQ(CountGbkHanzi("\xAA\x7F"), -1);
    EXPECT_EQ(CountGbkHanzi("\x81\xFF"), -1);             // trail past the range
    EXPECT_EQ(CountGbkHanzi("\x81\x3F"), -1);             // trail below the range
    EXPECT_EQ(CountGbkHanzi("\xAA\xA1"), -1);             // user-defined area
    EXPECT_EQ(CountGbkHanzi("\xF8\xA1"), -1);             // user-defined area
    EXPECT_EQ(CountGbkHanzi("\xA8\x40"), -1);             // GBK/5 symbols
    EXPECT_EQ(CountGbkHanzi("\x80\x80"), -1);
}

TEST(NicknameWordsGbkCount, LiteralsAreGbkInThisBuild) {
    // Without -fexec-charset=GBK every list check below would compare UTF-8.
    EXPECT_EQ(Hex("赵"), "D5 D4");
    EXPECT_EQ(CountGbkHanzi("欧阳"), 2);
}

// ---------------------------------------------------------------------------
// Properties every list must have.

struct ListCase {
    const char* name;
    const WordList& (*get)();
    std::size_t size;
    std::vector<const char*> head;  // expected first entries, in order
    int min_chars;
    int max_chars;
};

void PrintTo(const ListCase& c, std::ostream* os) { *os << c.name; }

class NicknameWordsList : public ::testing::TestWithParam<ListCase> {};

TEST_P(NicknameWordsList, HasExactSize) {
    const ListCase& c = GetParam();
    const WordList& list = c.get();
    EXPECT_EQ(list.size, c.size);
    ASSERT_NE(list.entries, nullptr);
}

TEST_P(NicknameWordsList, StartsWithKnownEntries) {
    const ListCase& c = GetParam();
    const WordList& list = c.get();
    ASSERT_GE(list.size, c.head.size());
    for (std::size_t i = 0; i < c.head.size(); ++i) {
        ASSERT_NE(list[i], nullptr) << "entry " << i;
        EXPECT_STREQ(list[i], c.head[i]) << "entry " << i << " is " << Hex(list[i])
                                         << ", expected " << Hex(c.head[i]);
    }
}

TEST_P(NicknameWordsList, HasNoDuplicates) {
    const ListCase& c = GetParam();
    const WordList& list = c.get();
    std::map<std::string, std::size_t> first_seen;
    for (std::size_t i = 0; i < list.size; ++i) {
        ASSERT_NE(list[i], nullptr) << "entry " << i;
        const auto inserted = first_seen.emplace(list[i], i);
        EXPECT_TRUE(inserted.second) << "entry " << i << " (" << Hex(list[i])
                                     << ") repeats entry " << inserted.first->second;
    }
}

TEST_P(NicknameWordsList, EntriesAreGbkHanziOfTheRightLength) {
    const ListCase& c = GetParam();
    const WordList& list = c.get();
    for (std::size_t i = 0; i < list.size; ++i) {
        ASSERT_NE(list[i], nullptr) << "entry " << i;
        const int count = CountGbkHanzi(list[i]);
        EXPECT_NE(count, -1) << "entry " << i << " (" << Hex(list[i])
                             << ") is not made only of GBK Chinese characters";
        EXPECT_GE(count, c.min_chars) << "entry " << i << " (" << Hex(list[i]) << ")";
        EXPECT_LE(count, c.max_chars) << "entry " << i << " (" << Hex(list[i]) << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(
    NicknameWords, NicknameWordsList,
    ::testing::Values(
        ListCase{"Surnames", &Surnames, 496,
                 {"赵", "钱", "孙", "李", "周", "吴", "郑", "王"}, 1, 2},
        ListCase{"GivenNamesA", &GivenNamesA, 2190,
                 {"之玉", "越泽", "锦程", "修杰"}, 2, 2},
        ListCase{"GivenNamesB", &GivenNamesB, 4063,
                 {"醉易", "紫萱", "紫霜", "紫南"}, 1, 3},
        ListCase{"CharactersC", &CharactersC, 116,
                 {"乞", "戾", "嵩", "邑", "瑛"}, 1, 1},
        ListCase{"CharactersD", &CharactersD, 96,
                 {"姿", "芷", "芝", "筝"}, 1, 1}),
    [](const ::testing::TestParamInfo<ListCase>& param) {
        return std::string(param.param.name);
    });

// ---------------------------------------------------------------------------
// Checks particular to one list.

TEST(NicknameWords, GivenNamesBAreMostlyTwoCharacters) {
    const WordList& list = GivenNamesB();
    std::size_t two = 0;
    for (std::size_t i = 0; i < list.size; ++i) {
        if (CountGbkHanzi(list[i]) == 2) {
            ++two;
        }
    }
    // At least 95% of the names have exactly two characters.
    EXPECT_GE(two * 100, list.size * 95) << two << " of " << list.size;
}

TEST(NicknameWords, SurnamesIncludeCompoundNames) {
    const WordList& list = Surnames();
    for (const char* compound : {"欧阳", "司马", "诸葛", "上官", "慕容"}) {
        bool found = false;
        for (std::size_t i = 0; i < list.size && !found; ++i) {
            found = std::strcmp(list[i], compound) == 0;
        }
        EXPECT_TRUE(found) << Hex(compound);
    }
}

}  // namespace
}  // namespace gatevane
