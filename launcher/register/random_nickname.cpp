#include "launcher/register/random_nickname.h"

#include <cstdlib>

#include "launcher/register/nickname_words.h"

namespace gatevane {
namespace {

const char* Pick(const WordList& list, const std::function<unsigned()>& draw) {
    return list[draw() % list.size];
}


}  // namespace

std::string NicknameFromDraws(unsigned form, const std::function<unsigned()>& draw) {
    if (form == 4) {
        std::string d = Pick(CharactersD(), draw);
        std::string c = Pick(CharactersC(), draw);
        return Pick(Surnames(), draw) + c + d;
    }
    static const WordList& (*const kGivenNameLists[])() = {GivenNamesA, GivenNamesB, CharactersC,
                                                           CharactersD};
    std::string given = Pick(kGivenNameLists[form % 4](), draw);
    return Pick(Surnames(), draw) + given;
}

std::string MakeRandomNickname(const std::function<unsigned()>& seed) {
    std::srand(seed());
    unsigned form = static_cast<unsigned>(std::rand()) % kNicknameForms;
    std::srand(seed());
    return NicknameFromDraws(form, [] { return static_cast<unsigned>(std::rand()); });
}

}  // namespace gatevane
