#pragma once
#include <cstddef>

namespace gatevane {

// A fixed list of GBK texts compiled into the program.
struct WordList {
    const char* const* entries;
    std::size_t size;
    const char* operator[](std::size_t i) const { return entries[i]; }
};

// The word lists random nicknames are made from.
// Every entry is a non-empty GBK string made only of Chinese characters
// (two bytes each); no list holds the same entry twice.
const WordList& Surnames();     // 496 family names, one or two characters
const WordList& GivenNamesA();  // 2190 two-character given names
const WordList& GivenNamesB();  // 4063 given names, mostly two characters (never more than three)
const WordList& CharactersC();  // 116 single characters
const WordList& CharactersD();  // 96 single characters

}  // namespace gatevane
