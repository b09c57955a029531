// The registration form's name checks against the logon server stand-in on 127.0.0.91 to .93, with
// the form stood in for by an owner that records what it is shown.
#include "launcher/register/name_check_client_win.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "launcher/update/scramble.h"
#include "tests/hex_text.h"
#include "tests/support/native_server.h"

namespace gatevane {
namespace {

using testing::LogonServer;
using testing::PumpMessagesUntil;

constexpr char kLineHost[] = "127.0.0.91";
constexpr char kOtherLineHost[] = "127.0.0.92";
constexpr char kDefaultHost[] = "127.0.0.93";
constexpr DWORD kShortLimitMs = 1500;

// What the form is shown, as "account free: remark" or "nickname taken: remark".
class RecordingForm final : public NameCheckOwner {
public:
    std::vector<std::string> shown;
    void ShowAccountCheck(bool free, const std::string& remark) override {
        shown.push_back(std::string("account") + (free ? " free: " : " taken: ") + remark);
    }
    void ShowNicknameCheck(bool free, const std::string& remark) override {
        shown.push_back(std::string("nickname") + (free ? " free: " : " taken: ") + remark);
    }
};

class NameCheckClientTest : public ::testing::Test {
protected:
    // The selected line (0) is `host` ("" = an empty entry).
    void SelectLine(const std::string& host) {
        settings_.serverEntries[0][0] = '\0';
        if (!host.empty()) ScrambleText(host, settings_.serverEntries[0], kPathCapacity);
    }

    bool WaitForAnswers(std::size_t count) {
        return PumpMessagesUntil(8000, [&] { return form_.shown.size() >= count; });
    }

    LauncherSettings settings_;
    RecordingForm form_;
    NameCheckClient client_{&form_, settings_};
};

// The selected line is asked, or the built-in logon host when that entry is empty; a malformed
// entry unscrambles to no host at all.
TEST_F(NameCheckClientTest, EachCheckSendsOneRequestAndShowsTheAnswerForItsKind) {
    const std::string taken = "玩家01", remark = "该昵称已被使用";
    SelectLine(kLineHost);
    settings_.defaultLogonHost = kDefaultHost;
    LogonServer server({"--listen", kLineHost, "--listen", kDefaultHost, "--taken-hex",
                        testing::EncodeHex(taken) + "=" + testing::EncodeHex(remark),
                        "--free-remark", "ok"});

    ASSERT_TRUE(client_.RequestNameCheck(NameCheckClient::kAccount, "free01") && WaitForAnswers(1));
    ASSERT_TRUE(client_.RequestNameCheck(NameCheckClient::kNickname, taken) && WaitForAnswers(2));
    SelectLine("");
    ASSERT_TRUE(client_.RequestNameCheck(NameCheckClient::kAccount, "player01") &&
                WaitForAnswers(3));
    EXPECT_EQ(form_.shown,
              (std::vector<std::string>{"account free: ok", "nickname taken: " + remark,
                                        "account free: ok"}));
    EXPECT_TRUE(PumpMessagesUntil(3000, [&] { return server.Count("close conn=") == 3; }))
        << "each check closes its connection once answered\n"
        << server.Log();
    EXPECT_EQ(server.Count("frame conn="), 3) << "one request each (the core lays it out)";

    EXPECT_FALSE(client_.RequestNameCheck(3, "player01")) << "no such check";
    std::strcpy(settings_.serverEntries[0], "0badc0de");
    EXPECT_FALSE(client_.RequestNameCheck(NameCheckClient::kAccount, "player01"));
    PumpMessagesUntil(300, [] { return false; });
    EXPECT_TRUE(server.Count("accept conn=") == 3 && form_.shown.size() == 3u) << server.Log();
}

// A reply that is no answer of the expected size is refused at once; one of another command, or
// none at all, is given up at the time limit. The form is shown nothing, and no connection stays.
TEST_F(NameCheckClientTest, NoProperAnswerShowsNothingAndTheConnectionIsClosed) {
    SelectLine(kLineHost);
    client_.SetAnswerTimeLimit(kShortLimitMs);
    const std::pair<const char*, bool> cases[] = {
        {"wrong-size", false}, {"other-command", true}, {"silent", true}};
    for (const auto& [misbehave, givenUpAtTheLimit] : cases) {
        LogonServer server({"--listen", kLineHost, "--misbehave", misbehave});
        const ULONGLONG start = ::GetTickCount64();
        ASSERT_TRUE(client_.RequestNameCheck(NameCheckClient::kAccount, "player01")) << misbehave;
        EXPECT_TRUE(PumpMessagesUntil(kShortLimitMs + 3000,
                                      [&] { return server.Count("close conn=") == 1; }))
            << misbehave << server.Log();
        const ULONGLONG elapsed = ::GetTickCount64() - start;
        EXPECT_EQ(elapsed >= kShortLimitMs - 100, givenUpAtTheLimit) << misbehave << " " << elapsed;
        EXPECT_EQ(server.Count("frame conn=1 main=1 sub=4 size=32"), 1) << misbehave;
    }
    EXPECT_TRUE(form_.shown.empty());
}

// A question asked while the first waits for its answer: the first connection is closed and only
// the second question is answered.
TEST_F(NameCheckClientTest, OnlyTheLatestQuestionIsAnswered) {
    SelectLine(kLineHost);
    LogonServer silent({"--listen", kLineHost, "--misbehave", "silent"});
    LogonServer answering({"--listen", kOtherLineHost});
    ASSERT_TRUE(client_.RequestNameCheck(NameCheckClient::kAccount, "player01"));
    ASSERT_TRUE(PumpMessagesUntil(5000, [&] { return silent.Count("silent conn=") == 1; }));

    SelectLine(kOtherLineHost);
    ASSERT_TRUE(client_.RequestNameCheck(NameCheckClient::kNickname, "nick01") &&
                WaitForAnswers(1));
    EXPECT_TRUE(PumpMessagesUntil(3000, [&] { return silent.Count("close conn=") == 1; }))
        << silent.Log();
    PumpMessagesUntil(300, [] { return false; });
    EXPECT_EQ(form_.shown, std::vector<std::string>{"nickname free: "});
}

}  // namespace
}  // namespace gatevane
