#include "contracts/base_interface.h"

#include <gtest/gtest.h>

namespace gatevane {
namespace {

struct Sample final : BaseInterface {
    void Destroy() override {}
    void* FindInterface(const InterfaceId& id, std::uint32_t version) override {
        return AnswerInterface<Sample>(this, kOwnId, id, version);
    }
    static constexpr InterfaceId kOwnId = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
};

TEST(BaseInterface, VersionsNeedMajorEightMinorOneRevisionUpToOneAndOnlyKnownIdsAnswer) {
    for (std::uint32_t version : {0x08010100u, 0x08010000u, 0x080101FFu, 0x08010042u}) {
        EXPECT_TRUE(InterfaceVersionAccepted(version)) << std::hex << version;
    }
    for (std::uint32_t version : {0x08010200u, 0x0801FF00u, 0x08020100u, 0x08000100u, 0x09010100u,
                                  0x07010100u, 0u, 0xFFFFFFFFu}) {
        EXPECT_FALSE(InterfaceVersionAccepted(version)) << std::hex << version;
    }
    Sample sample;
    EXPECT_EQ(sample.FindInterface(Sample::kOwnId, kInterfaceVersion), &sample);
    EXPECT_EQ(sample.FindInterface(kBaseInterfaceId, kInterfaceVersion),
              static_cast<BaseInterface*>(&sample));
    InterfaceId other = Sample::kOwnId;
    other.data4[7] = 12;
    EXPECT_EQ(sample.FindInterface(other, kInterfaceVersion), nullptr);
    EXPECT_EQ(sample.FindInterface(Sample::kOwnId, 0x08020100), nullptr);
}

}  // namespace
}  // namespace gatevane
