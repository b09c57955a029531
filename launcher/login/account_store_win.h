#pragma once
// The accounts that have logged on before on this computer, for the current Windows user, as
// another program of the game hall remembers them in the registry (HKEY_CURRENT_USER):
//
//   Software\Velmora\GameTessel\UserInfo\<user id>   one sub-key per user, named by the id
//       UserAccount   text     the account name
//       GameID        number   the game number shown under it (0: none)
//       UserPassword  text     the password, scrambled (ScrambleText); absent or bad: none
//       FaceID        number   the face picture (0: the default face)
//   Software\Velmora\GameTessel\OptionLogon
//       LastUserID    REG_DWORD  the user who logged on last (0: none)
//
// The launcher only reads the store and deletes whole users. What it reads is bounded by the
// record's fields whatever the registry holds: a text is cut to its field on a character
// boundary of the ANSI code page and always terminated, a number must be exactly 4 bytes, and a
// value too long for the reading buffer (255 bytes of text) counts as absent.

#include <cstdint>
#include <vector>

namespace gatevane {

struct AccountRecord {
    std::int32_t userId = 0;
    std::int32_t faceId = 0;
    char gameId[16] = {};
    char account[32] = {};
    char password[33] = {};  // plain, decoded with UnscrambleText
};

// The remembered users under HKCU "Software\Velmora\GameTessel\UserInfo", in the order the
// registry enumerates them. A sub-key name counts by its leading decimal number ("0042" and
// "42abc" both name user 42, whose values are read from sub-key "42"); a name without one, or 0,
// is skipped; a name of 32 characters or more ends the list there. A user whose sub-key cannot be
// opened is still listed, with only the id.
std::vector<AccountRecord> ReadRememberedAccounts();
// "LastUserID" of HKCU "Software\Velmora\GameTessel\OptionLogon" when it is a REG_DWORD, else 0.
std::int32_t ReadLastUserId();
// Deletes the user's sub-key with everything below it; false when it could not (user 0 never
// exists).
bool DeleteRememberedAccount(std::int32_t userId);

}  // namespace gatevane
