#pragma once
// For the pet's tests: the stand-in player registered in the test prefix and told how to behave
// (the values its server reads, see player_win.h).
#include <windows.h>

#include <string>

namespace movie_player {

// Registers the player DLL at `dllPath`; false when it does not load or register.
bool RegisterPlayer(const std::string& dllPath);

// The major version it reports, the one automation name it then fails ("" for none), and whether
// it may be windowless.
void ConfigurePlayer(DWORD version, const std::string& failMember, bool windowless = true);

// Removes the registration: the class is then unknown.
bool UnregisterPlayer();

}  // namespace movie_player
