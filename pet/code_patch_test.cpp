#include "pet/code_patch.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "pet/watch_counter.h"

namespace ostrelpet {
namespace {

std::vector<std::uint8_t> Bytes(const JumpBytes& jump) {
    return {jump.bytes.begin(), jump.bytes.begin() + jump.size};
}

TEST(JumpBytes, RelativeOnX86AbsoluteOnX64) {
    // Forward, backward and across the top of the 32-bit address space.
    EXPECT_EQ(Bytes(MakeJump(CodeWidth::X86, 0x77001000, 0x00401234)),
              (std::vector<std::uint8_t>{0xE9, 0x2F, 0x02, 0x40, 0x89}));
    EXPECT_EQ(Bytes(MakeJump(CodeWidth::X86, 0x00401000, 0x00401005)),
              (std::vector<std::uint8_t>{0xE9, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Bytes(MakeJump(CodeWidth::X86, 0xFFFFFFF0, 0x00000010)),
              (std::vector<std::uint8_t>{0xE9, 0x1B, 0x00, 0x00, 0x00}));
    // More than 2 GiB apart: the whole address travels with the jump.
    EXPECT_EQ(
        Bytes(MakeJump(CodeWidth::X64, 0x00007FFA12340000, 0x0000000140001230)),
        (std::vector<std::uint8_t>{0xFF, 0x25, 0, 0, 0, 0, 0x30, 0x12, 0x00, 0x40, 0x01, 0, 0, 0}));
}

TEST(LeadingJump, ThunksAreFollowedOtherCodeIsNot) {
    using Kind = LeadingJump::Kind;
    const std::uint8_t relative[] = {0xE9, 0xFB, 0xFF, 0xFF, 0xFF, 0x90};  // jmp to itself
    auto jump = ReadLeadingJump(CodeWidth::X64, 0x7FF000001000, relative);
    ASSERT_TRUE(jump);
    EXPECT_EQ(jump->kind, Kind::Direct);
    EXPECT_EQ(jump->address, 0x7FF000001000u);
    jump = ReadLeadingJump(CodeWidth::X86, 0xFFFFFFF0, relative);  // wraps like the processor
    ASSERT_TRUE(jump);
    EXPECT_EQ(jump->address, 0xFFFFFFF0u);

    const std::uint8_t throughSlot[] = {0xFF, 0x25, 0x10, 0x00, 0x00, 0x00};
    jump = ReadLeadingJump(CodeWidth::X64, 0x7FF000002000, throughSlot);
    ASSERT_TRUE(jump);
    EXPECT_EQ(jump->kind, Kind::Through);
    EXPECT_EQ(jump->address, 0x7FF000002016u) << "relative to the next instruction";
    jump = ReadLeadingJump(CodeWidth::X86, 0x77002000, throughSlot);
    ASSERT_TRUE(jump);
    EXPECT_EQ(jump->address, 0x10u) << "an absolute slot address on i686";

    const std::uint8_t prologue[] = {0x48, 0x89, 0x5C, 0x24, 0x08, 0x57};  // mov [rsp+8], rbx
    EXPECT_FALSE(ReadLeadingJump(CodeWidth::X64, 0x1000, prologue));
    const std::uint8_t callIndirect[] = {0xFF, 0x15, 0, 0, 0, 0};
    EXPECT_FALSE(ReadLeadingJump(CodeWidth::X64, 0x1000, callIndirect));
}

// Code memory stand-in: records every write, can be told to refuse.
class FakeCode : public CodeWriter {
public:
    bool Write(std::uint8_t* at, const std::uint8_t* bytes, std::size_t size) override {
        ++writes;
        if (refuse) return false;
        std::copy(bytes, bytes + size, at);
        return true;
    }
    bool refuse = false;
    int writes = 0;
};

TEST(CodePatch, SavesWhatItCoversAndGivesItBack) {
    for (CodeWidth width : {CodeWidth::X86, CodeWidth::X64}) {
        std::vector<std::uint8_t> code(32);
        for (std::size_t i = 0; i < code.size(); ++i) code[i] = static_cast<std::uint8_t>(0x50 + i);
        const std::vector<std::uint8_t> original = code;
        FakeCode writer;
        {
            CodePatch patch(writer, code.data(), 0x1234, width);
            const std::size_t size = width == CodeWidth::X86 ? 5 : 14;
            ASSERT_EQ(patch.size(), size);

            ASSERT_TRUE(patch.Install());
            EXPECT_TRUE(patch.installed());
            EXPECT_EQ(
                std::vector<std::uint8_t>(code.begin(), code.begin() + size),
                Bytes(MakeJump(width, reinterpret_cast<std::uintptr_t>(code.data()), 0x1234)));
            EXPECT_TRUE(std::equal(code.begin() + size, code.end(), original.begin() + size));

            // A second install must not save the jump as the original.
            EXPECT_TRUE(patch.Install());
            ASSERT_TRUE(patch.Suspend());
            EXPECT_EQ(code, original);
            EXPECT_FALSE(patch.Suspend());
            ASSERT_TRUE(patch.Resume());
            EXPECT_NE(code, original);
            EXPECT_EQ(std::vector<std::uint8_t>(patch.saved(), patch.saved() + size),
                      std::vector<std::uint8_t>(original.begin(), original.begin() + size));
        }
        EXPECT_EQ(code, original) << "the end of the patch gives the function back";
    }
}

TEST(CodePatch, RefusedWritesChangeNothing) {
    std::vector<std::uint8_t> code(16, 0x90);
    FakeCode writer;
    CodePatch patch(writer, code.data(), 0x1000, CodeWidth::X86);
    writer.refuse = true;
    EXPECT_FALSE(patch.Install());
    EXPECT_FALSE(patch.installed());
    EXPECT_FALSE(patch.Resume());
    writer.refuse = false;
    ASSERT_TRUE(patch.Install());
    writer.refuse = true;
    EXPECT_FALSE(patch.Suspend());
    EXPECT_TRUE(patch.installed());
    writer.refuse = false;
    EXPECT_TRUE(patch.Remove());
    EXPECT_EQ(code, std::vector<std::uint8_t>(16, 0x90));
    const int writes = writer.writes;
    EXPECT_TRUE(patch.Remove());
    EXPECT_EQ(writer.writes, writes) << "removing twice writes nothing";
}

TEST(WatchCounter, EndsOnTheFourthMissInARow) {
    WatchCounter watch;
    EXPECT_FALSE(watch.Tick(false));
    EXPECT_FALSE(watch.Tick(false));
    EXPECT_FALSE(watch.Tick(false));
    EXPECT_FALSE(watch.Tick(true));  // back in time: counting starts again
    for (int tick = 1; tick <= 3; ++tick) EXPECT_FALSE(watch.Tick(false)) << tick;
    EXPECT_TRUE(watch.Tick(false));
    EXPECT_EQ(watch.misses(), 0);
}

}  // namespace
}  // namespace ostrelpet
