#include "launcher/register/name_check_messages.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace gatevane {
namespace {

std::string Repeated(const char* text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

TEST(NameCheckRequest, HoldsTheNameZeroTerminatedInThirtyTwoBytesCutBetweenCharacters) {
    EXPECT_EQ(DecodeNameCheckRequest(EncodeNameCheckRequest("player01").data()), "player01");
    const auto longest = EncodeNameCheckRequest(std::string(40, 'n'));
    EXPECT_EQ(longest[31], 0);
    EXPECT_EQ(DecodeNameCheckRequest(longest.data()), std::string(31, 'n'));
    // Byte 30 starts a character that 31 bytes would cut.
    const std::string wide = "nn" + Repeated("名", 16);
    EXPECT_EQ(DecodeNameCheckRequest(EncodeNameCheckRequest(wide).data()), wide.substr(0, 30));
}

TEST(NameCheckReply, IsLaidOutAsTheServerSendsItAndRefusesOtherSizes) {
    auto body = EncodeNameCheckReply({2, true, "该昵称可以使用"});
    EXPECT_EQ(body[0], 2);
    EXPECT_EQ(body[4], 1);
    auto reply = DecodeNameCheckReply(body.data(), body.size());
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->kind, 2u);
    EXPECT_TRUE(reply->acceptable);
    EXPECT_EQ(reply->remark, "该昵称可以使用");
    EXPECT_FALSE(DecodeNameCheckReply(body.data(), 135).has_value());
    std::vector<std::uint8_t> longer(body.begin(), body.end());
    longer.push_back(0);
    EXPECT_FALSE(DecodeNameCheckReply(longer.data(), longer.size()).has_value());

    // Any non-zero result is acceptable, and a remark filling its field is read to its end.
    std::fill(body.begin() + 5, body.end(), 'r');
    body[4] = 7;
    reply = DecodeNameCheckReply(body.data(), body.size());
    EXPECT_TRUE(reply->acceptable);
    EXPECT_EQ(reply->remark, std::string(131, 'r'));
    // 65 characters and the lead byte of a 66th fill the field: the half character is dropped,
    // on reading as on writing.
    const std::string cut = Repeated("名", 66);
    std::copy(cut.begin(), cut.begin() + kRemarkCapacity, body.begin() + 5);
    EXPECT_EQ(DecodeNameCheckReply(body.data(), body.size())->remark, cut.substr(0, 130));
    body = EncodeNameCheckReply({1, false, cut});
    EXPECT_EQ(DecodeNameCheckReply(body.data(), body.size())->remark, cut.substr(0, 130));
}

}  // namespace
}  // namespace gatevane
