#include "launcher/register/random_nickname.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "launcher/register/nickname_words.h"
#include "tests/gbk_hanzi.h"

namespace gatevane {
namespace {

std::function<unsigned()> Draws(std::vector<unsigned> values) {
    auto at = std::make_shared<std::size_t>(0);
    return [=] { return values.at((*at)++); };
}

// Forms 0 to 3 draw the given name first, then the surname; form 4 draws D, then C, then the
// surname.
TEST(NicknameFromDraws, EachFormDrawsInItsOrderFromItsLists) {
    EXPECT_EQ(NicknameFromDraws(0, Draws({2190 + 1, 496 + 2})),
              std::string(Surnames()[2]) + GivenNamesA()[1]);
    EXPECT_EQ(NicknameFromDraws(1, Draws({3, 0})), std::string(Surnames()[0]) + GivenNamesB()[3]);
    EXPECT_EQ(NicknameFromDraws(2, Draws({116 * 2 + 4, 495})),
              std::string(Surnames()[495]) + CharactersC()[4]);
    EXPECT_EQ(NicknameFromDraws(3, Draws({95, 7})), std::string(Surnames()[7]) + CharactersD()[95]);
    EXPECT_EQ(NicknameFromDraws(4, Draws({1, 2, 3})),
              std::string(Surnames()[3]) + CharactersC()[2] + CharactersD()[1]);
}

bool StartsWithASurname(const std::string& nickname) {
    for (std::size_t i = 0; i < Surnames().size; ++i) {
        if (nickname.rfind(Surnames()[i], 0) == 0) return true;
    }
    return false;
}

// Two to five Chinese characters, a surname first, whatever the form and draws.
TEST(MakeRandomNickname, HasTwoToFiveChineseCharactersAndStartsWithASurname) {
    std::vector<std::string> nicknames;
    for (unsigned form = 0; form < kNicknameForms; ++form) {
        for (unsigned draw : {0u, 1u, 95u, 115u, 495u, 2189u, 4062u, 4294967295u}) {
            nicknames.push_back(NicknameFromDraws(form, [=] { return draw; }));
        }
    }
    unsigned next = 0;
    for (int i = 0; i < 300; ++i) {
        nicknames.push_back(MakeRandomNickname([&next] { return next += 7919; }));
    }
    for (const std::string& nickname : nicknames) {
        const int characters = testing::CountGbkHanzi(nickname.c_str());
        EXPECT_TRUE(characters >= 2 && characters <= 5) << nickname;
        EXPECT_TRUE(StartsWithASurname(nickname)) << nickname;
    }
}

}  // namespace
}  // namespace gatevane
