// The remembered accounts in the real registry of the test prefix, with HKEY_CURRENT_USER pointed
// at a scratch key so the user's own store is never touched: the layout another program writes,
// odd sub-key names, values no such program would write, and deletion; then the face an account's
// entry in the drop-down list shows.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/unique_handle_win.h"
#include "launcher/login/account_store_win.h"
#include "launcher/login/accounts_item_win.h"
#include "launcher/update/scramble.h"

namespace gatevane {
namespace {

using Lines = std::vector<std::string>;

constexpr char kScratch[] = "Software\\GatevaneTests\\AccountStore";
constexpr char kOptionLogon[] = "Software\\Velmora\\GameTessel\\OptionLogon";

std::string User(const std::string& subKey) {
    return "Software\\Velmora\\GameTessel\\UserInfo\\" + subKey;
}

std::string Repeat(std::string_view text, int times) {
    std::string repeated;
    while (times-- > 0) repeated += text;
    return repeated;
}

// A text's bytes with its terminator, as the writing program stores it.
std::string Sz(const std::string& text) {
    return std::string(text.c_str(), text.size() + 1);
}

std::string Scrambled(std::string_view text) {
    char scrambled[1024];
    ScrambleText(text, scrambled, sizeof scrambled);
    return Sz(scrambled);
}

// The number's first `size` bytes in memory order.
std::string Bytes(std::int64_t number, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(&number), size);
}

UniqueRegistryKey CreateKey(const std::string& key) {
    HKEY raw = nullptr;
    LONG result = ::RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                    nullptr, &raw, nullptr);
    return UniqueRegistryKey(result == ERROR_SUCCESS ? raw : nullptr);
}

// Stores exactly `bytes` (the registry adds no terminator) in the key, made if need be.
void Put(const std::string& key, const char* name, DWORD type, std::string_view bytes) {
    ASSERT_EQ(::RegSetValueExA(CreateKey(key).get(), name, 0, type,
                               reinterpret_cast<const BYTE*>(bytes.data()),
                               static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
}

// Each record as "id face gameId|account|password".
Lines Remembered() {
    Lines lines;
    for (const AccountRecord& r : ReadRememberedAccounts()) {
        lines.push_back(std::to_string(r.userId) + " " + std::to_string(r.faceId) + " " + r.gameId +
                        "|" + r.account + "|" + r.password);
    }
    return lines;
}

class AccountStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kScratch);
        scratch_ = CreateKey(kScratch);
        ASSERT_TRUE(scratch_);
        ASSERT_EQ(::RegOverridePredefKey(HKEY_CURRENT_USER, scratch_.get()), ERROR_SUCCESS);
    }
    void TearDown() override {
        ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        scratch_.reset();
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kScratch);
    }

    UniqueRegistryKey scratch_;
};

// Users are listed in the registry's order by the leading number of their sub-key's name; the
// last user counts only as a REG_DWORD; a user is deleted with everything below its sub-key.
TEST_F(AccountStoreTest, UsersAreListedByTheirSubKeysAndDeletedWithThem) {
    EXPECT_TRUE(Remembered().empty()) << "no store yet";
    EXPECT_EQ(ReadLastUserId(), 0);
    EXPECT_FALSE(DeleteRememberedAccount(1001));

    Put(User("1001"), "UserAccount", REG_SZ, Sz("alice"));
    Put(User("1001"), "GameID", REG_DWORD, Bytes(10086, 4));
    Put(User("1001"), "UserPassword", REG_SZ, Scrambled("secret"));
    Put(User("1001"), "FaceID", REG_DWORD, Bytes(7, 4));
    Put(User("1001\\Games\\Chess"), "Level", REG_SZ, Sz("3"));
    Put(User("77"), "UserAccount", REG_SZ, Sz("bob"));
    Put(User("0042"), "UserAccount", REG_SZ, Sz("not read: this is user 42, of sub-key 42"));
    for (const char* skipped : {"abc", "0"}) Put(User(skipped), "UserAccount", REG_SZ, Sz("no"));
    Put(User("8" + std::string(31, '0')), "UserAccount", REG_SZ, Sz("32 characters: the end"));
    Put(User("9001"), "UserAccount", REG_SZ, Sz("after the end"));
    Put(kOptionLogon, "LastUserID", REG_DWORD, Bytes(1001, 4));

    EXPECT_EQ(Remembered(), (Lines{"42 0 ||", "1001 7 10086|alice|secret", "77 0 |bob|"}));
    EXPECT_EQ(ReadLastUserId(), 1001);
    for (auto [type, bytes] : {std::pair{REG_SZ, Sz("1001")}, std::pair{REG_BINARY, Bytes(1001, 4)},
                               std::pair{REG_QWORD, Bytes(1001, 8)}}) {
        Put(kOptionLogon, "LastUserID", type, bytes);
        EXPECT_EQ(ReadLastUserId(), 0) << "type " << type;
    }

    EXPECT_TRUE(DeleteRememberedAccount(1001));
    EXPECT_FALSE(DeleteRememberedAccount(1001)) << "gone with everything below it";
    EXPECT_FALSE(DeleteRememberedAccount(0)) << "sub-key 0 is never a user";
    EXPECT_EQ(Remembered(), (Lines{"42 0 ||", "77 0 |bob|"}));
}

// Whatever the values hold, a record never gets more than its fields hold, texts end on a whole
// GBK character, and a value that cannot be read whole counts as absent.
TEST_F(AccountStoreTest, OddValuesNeverYieldMoreThanTheFieldsHold) {
    Put(User("1"), "UserAccount", REG_SZ, Sz(Repeat("中", 20)));  // 40 bytes, 31 fit
    Put(User("1"), "GameID", REG_QWORD, Bytes(10086, 8));
    Put(User("1"), "FaceID", REG_BINARY, Bytes(7, 2));
    Put(User("1"), "UserPassword", REG_SZ, Sz("zz"));
    Put(User("2"), "UserAccount", REG_BINARY, "bob\xB0");  // no terminator, a lone lead byte
    Put(User("2"), "GameID", REG_DWORD, Bytes(-5, 4));
    Put(User("2"), "FaceID", REG_BINARY, Bytes(7, 4));  // the type of numbers is not examined
    Put(User("2"), "UserPassword", REG_SZ, Sz(std::string(300, '0')));
    Put(User("3"), "UserAccount", REG_SZ, Sz(std::string(300, 'x')));
    Put(User("3"), "UserPassword", REG_SZ, Scrambled(std::string(33, 'p')));
    Put(User("3"), "GameID", REG_DWORD, Bytes(INT32_MAX, 4));
    Put(User("4"), "UserAccount", REG_SZ, Sz(Repeat("abcdef", 30)));
    Put(User("4"), "UserPassword", REG_BINARY, Scrambled("secret").c_str());  // no terminator

    EXPECT_EQ(Remembered(),
              (Lines{"1 0 |" + Repeat("中", 15) + "|", "2 7 -5|bob|", "3 0 2147483647||",
                     "4 0 |" + Repeat("abcdef", 6).substr(0, 31) + "|secret"}));
}

// Faces 1 to 64 come from the strip; any other number keeps the default face 0.
TEST(AccountsItemTest, TheFaceNumberPicksAFaceOfTheStripFromOneTo64) {
    for (auto [face, source] :
         {std::pair{0, "0,0,45,45"}, std::pair{1, "45,0,90,45"}, std::pair{64, "2880,0,2925,45"},
          std::pair{65, "0,0,45,45"}, std::pair{-1, "0,0,45,45"}}) {
        AccountsItemUI item(nullptr);
        item.SetFace(face);
        // The item's row holds the face column first, with the face button in it.
        auto* faceButton =
            static_cast<CButtonUI*>(item.GetChildAt(0)->GetChildAt(0)->GetChildAt(0));
        EXPECT_EQ(faceButton->GetBkImage().str(),
                  std::string("file='TesselRes//Lobby//BIG_FACE.bmp' source='") + source + "'")
            << face;
    }
}

}  // namespace
}  // namespace gatevane
