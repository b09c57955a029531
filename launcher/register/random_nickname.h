#pragma once
// Random nicknames for the registration form: a family name and a given name drawn from the
// built-in word lists, 2 to 5 Chinese characters in all.

#include <functional>
#include <string>

namespace gatevane {

constexpr unsigned kNicknameForms = 5;

// The nickname of `form` (0..4) made with the draws of `draw`, taken in this order:
// forms 0 to 3, a given name (from list A, B, C or D), then the family name;
// form 4, a character of list D, one of list C, then the family name (family name + C + D).
std::string NicknameFromDraws(unsigned form, const std::function<unsigned()>& draw);

// A fresh random nickname: the C library generator, seeded by `seed` (the registration window
// reads the processor's time-stamp counter), picks the form; seeded again, it draws the words.
std::string MakeRandomNickname(const std::function<unsigned()>& seed);

}  // namespace gatevane
