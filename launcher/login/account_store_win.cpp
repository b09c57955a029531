#include "launcher/login/account_store_win.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "base/unique_handle_win.h"
#include "launcher/common/ansi_text.h"
#include "launcher/update/scramble.h"

namespace gatevane {
namespace {

constexpr char kUserInfoKey[] = "Software\\Velmora\\GameTessel\\UserInfo";
constexpr char kOptionLogonKey[] = "Software\\Velmora\\GameTessel\\OptionLogon";
// A user's sub-key name is shorter than this; a longer one ends the enumeration.
constexpr DWORD kUserKeyNameSize = 32;
// Text values are read into a buffer of this size.
constexpr DWORD kTextValueSize = 256;

struct StoredNumber {
    DWORD type;
    std::int32_t value;
};

UniqueRegistryKey OpenKey(HKEY parent, const char* path, REGSAM access) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(parent, path, 0, access, &key) != ERROR_SUCCESS) return {};
    return UniqueRegistryKey(key);
}

// The value's bytes up to the first zero byte, whether or not it was stored with one (the
// registry does not add it); none when it is missing or longer than the buffer. The type is not
// examined.
std::optional<std::string> ReadText(HKEY key, const char* name) {
    char buffer[kTextValueSize];
    DWORD size = sizeof buffer;
    if (::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::string_view text(buffer, size);
    return std::string(text.substr(0, text.find('\0')));
}

// A number stored in exactly four bytes, with the type it was stored as; none otherwise.
std::optional<StoredNumber> ReadNumber(HKEY key, const char* name) {
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        size != sizeof value) {
        return std::nullopt;
    }
    return StoredNumber{type, static_cast<std::int32_t>(value)};
}

std::string UserKeyName(std::int32_t userId) {
    char name[16];
    std::snprintf(name, sizeof name, "%ld", static_cast<long>(userId));
    return name;
}

// The user's record from the user's own sub-key; only the id when it cannot be opened.
AccountRecord ReadAccount(HKEY userInfo, std::int32_t userId) {
    AccountRecord record;
    record.userId = userId;
    UniqueRegistryKey user = OpenKey(userInfo, UserKeyName(userId).c_str(), KEY_READ);
    if (!user) return record;
    if (auto account = ReadText(user.get(), "UserAccount")) {
        CopyAnsiText(*account, record.account, sizeof record.account);
    }
    if (auto gameId = ReadNumber(user.get(), "GameID"); gameId && gameId->value != 0) {
        std::snprintf(record.gameId, sizeof record.gameId, "%ld", static_cast<long>(gameId->value));
    }
    // A text that is not in the scrambled form, or too long for the field, decodes to nothing.
    if (auto password = ReadText(user.get(), "UserPassword")) {
        UnscrambleText(*password, record.password, sizeof record.password);
    }
    if (auto faceId = ReadNumber(user.get(), "FaceID")) record.faceId = faceId->value;
    return record;
}

// The leading decimal number of a sub-key name, as atol reads it but without its undefined
// overflow: a number beyond 32 bits stops at the end of the range.
std::int32_t UserIdOfKeyName(const char* name) {
    return static_cast<std::int32_t>(std::strtol(name, nullptr, 10));
}

}  // namespace

std::vector<AccountRecord> ReadRememberedAccounts() {
    std::vector<AccountRecord> accounts;
    UniqueRegistryKey userInfo = OpenKey(HKEY_CURRENT_USER, kUserInfoKey, KEY_READ);
    if (!userInfo) return accounts;
    for (DWORD index = 0;; ++index) {
        char name[kUserKeyNameSize];
        DWORD length = kUserKeyNameSize;
        if (::RegEnumKeyExA(userInfo.get(), index, name, &length, nullptr, nullptr, nullptr,
                            nullptr) != ERROR_SUCCESS) {
            break;
        }
        if (std::int32_t userId = UserIdOfKeyName(name)) {
            accounts.push_back(ReadAccount(userInfo.get(), userId));
        }
    }
    return accounts;
}

std::int32_t ReadLastUserId() {
    UniqueRegistryKey options = OpenKey(HKEY_CURRENT_USER, kOptionLogonKey, KEY_READ);
    if (!options) return 0;
    std::optional<StoredNumber> last = ReadNumber(options.get(), "LastUserID");
    return last && last->type == REG_DWORD ? last->value : 0;
}

bool DeleteRememberedAccount(std::int32_t userId) {
    if (userId == 0) return false;
    UniqueRegistryKey userInfo = OpenKey(HKEY_CURRENT_USER, kUserInfoKey, KEY_READ | KEY_WRITE);
    return userInfo &&
           ::RegDeleteTreeA(userInfo.get(), UserKeyName(userId).c_str()) == ERROR_SUCCESS;
}

}  // namespace gatevane
