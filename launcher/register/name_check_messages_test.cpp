#include "launcher/register/name_check_messages.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace gatevane {
namespace {

TEST(NameCheckRequest, HoldsTheNameZeroTerminatedInThirtyTwoBytes) {
    auto body = EncodeNameCheckRequest("player01");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(body.data())), "player01");
    EXPECT_EQ(body[8], 0);
    EXPECT_EQ(DecodeNameCheckRequest(body.data()), "player01");

    auto longest = EncodeNameCheckRequest(std::string(40, 'n'));
    EXPECT_EQ(longest[31], 0);
    EXPECT_EQ(DecodeNameCheckRequest(longest.data()), std::string(31, 'n'));

    std::string wide = "nn";
    for (int i = 0; i < 16; ++i) wide += "名";  // byte 30 starts a character that 31 bytes cut
    EXPECT_EQ(DecodeNameCheckRequest(EncodeNameCheckRequest(wide).data()), wide.substr(0, 30));
}

TEST(NameCheckReply, RoundTripsAndIsLaidOutAsTheServerSendsIt) {
    auto body = EncodeNameCheckReply({2, true, "该昵称可以使用"});
    EXPECT_EQ(body[0], 2);
    EXPECT_EQ(body[4], 1);
    auto reply = DecodeNameCheckReply(body.data(), body.size());
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->kind, 2u);
    EXPECT_TRUE(reply->acceptable);
    EXPECT_EQ(reply->remark, "该昵称可以使用");
}

TEST(NameCheckReply, RefusesOtherSizesAndReadsAnUnterminatedRemarkToItsEnd) {
    auto body = EncodeNameCheckReply({1, false, ""});
    EXPECT_FALSE(DecodeNameCheckReply(body.data(), 135).has_value());
    EXPECT_FALSE(DecodeNameCheckReply(body.data(), 0).has_value());
    std::vector<std::uint8_t> longer(body.begin(), body.end());
    longer.push_back(0);
    EXPECT_FALSE(DecodeNameCheckReply(longer.data(), longer.size()).has_value());

    std::fill(body.begin() + 5, body.end(), 'r');
    body[4] = 7;  // any non-zero result is acceptable
    auto reply = DecodeNameCheckReply(body.data(), body.size());
    ASSERT_TRUE(reply.has_value());
    EXPECT_TRUE(reply->acceptable);
    EXPECT_EQ(reply->remark, std::string(131, 'r'));

    // 65 characters and the lead byte of a 66th fill the field: the half character is dropped.
    std::string cut;
    for (int i = 0; i < 66; ++i) cut += "名";
    std::copy(cut.begin(), cut.begin() + kRemarkCapacity, body.begin() + 5);
    reply = DecodeNameCheckReply(body.data(), body.size());
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->remark, cut.substr(0, 130));
}

TEST(NameCheckReply, ARemarkTooLongIsCutWithoutSplittingACharacter) {
    std::string remark;
    for (int i = 0; i < 70; ++i) remark += "名";  // 140 bytes
    auto reply = DecodeNameCheckReply(EncodeNameCheckReply({1, false, remark}).data(), 136);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->remark.size(), 130u);
}

}  // namespace
}  // namespace gatevane
