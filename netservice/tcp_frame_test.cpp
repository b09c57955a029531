#include "netservice/tcp_frame.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace gatevane {
namespace {

std::vector<std::uint8_t> Frame(std::uint16_t main, std::uint16_t sub, const std::string& body) {
    return EncodeFrame({main, sub}, body.data(), body.size());
}

using Received = std::tuple<std::uint16_t, std::uint16_t, std::string>;  // main, sub, body

// Every frame the reader gives for `stream` fed in pieces of `piece` bytes, and its last result.
std::pair<std::vector<Received>, FrameReader::Result> Read(const std::vector<std::uint8_t>& stream,
                                                           std::size_t piece) {
    FrameReader reader;
    std::vector<Received> frames;
    FrameReader::Result result = FrameReader::Result::kNeedMore;
    for (std::size_t at = 0; at < stream.size() && result != FrameReader::Result::kMalformed;
         at += piece) {
        reader.Append(stream.data() + at, std::min(piece, stream.size() - at));
        TcpCommand command;
        std::vector<std::uint8_t> body;
        while ((result = reader.Next(command, body)) == FrameReader::Result::kFrame) {
            frames.push_back(
                {command.mainCommand, command.subCommand, std::string(body.begin(), body.end())});
        }
    }
    return {frames, result};
}

TEST(EncodeFrame, WritesTheHeaderLittleEndianThenTheBody) {
    EXPECT_EQ(Frame(0x0102, 0xA0B0, "hi"),
              (std::vector<std::uint8_t>{0xC7, 1, 2, 0, 0x02, 0x01, 0xB0, 0xA0, 'h', 'i'}));
    EXPECT_EQ(Frame(1, 4, "").size(), kFrameHeaderSize);
    EXPECT_EQ(Frame(1, 4, std::string(kMaxFrameBody, 'x')).size(),
              kFrameHeaderSize + kMaxFrameBody);
    EXPECT_TRUE(Frame(1, 4, std::string(kMaxFrameBody + 1, 'x')).empty());
}

TEST(FrameReader, ReassemblesFramesHoweverTheStreamIsCut) {
    std::vector<std::uint8_t> stream;
    const std::vector<Received> sent = {{1, 4, std::string(136, 'r')}, {9, 1, ""}, {2, 5, "abc"}};
    for (const auto& [main, sub, body] : sent) {
        auto bytes = Frame(main, sub, body);
        stream.insert(stream.end(), bytes.begin(), bytes.end());
    }
    for (std::size_t piece : {std::size_t(1), std::size_t(3), std::size_t(7), stream.size()}) {
        auto [frames, result] = Read(stream, piece);
        EXPECT_EQ(frames, sent) << "pieces of " << piece;
        EXPECT_EQ(result, FrameReader::Result::kNeedMore);
    }
}

TEST(FrameReader, RefusesWhatIsNotOneOfOurFramesAsSoonAsItShows) {
    auto good = Frame(1, 4, "ok");
    const std::vector<std::vector<std::uint8_t>> bad = {
        {0x00},                             // no marker
        {0xC7, 2},                          // another format version
        {0xC7, 1, 0x01, 0x40},              // a body of 16385 bytes announced
        {0xC7, 1, 0xFF, 0xFF, 1, 0, 4, 0},  // a body of 65535 bytes announced
    };
    for (const auto& stream : bad) {
        auto [frames, result] = Read(stream, 1);
        EXPECT_TRUE(frames.empty());
        EXPECT_EQ(result, FrameReader::Result::kMalformed);
    }
    // A good frame before garbage is still given; then the stream is finished for good.
    std::vector<std::uint8_t> stream = good;
    stream.insert(stream.end(), {'G', 'E', 'T', ' '});
    stream.insert(stream.end(), good.begin(), good.end());
    auto [frames, result] = Read(stream, stream.size());
    EXPECT_EQ(frames.size(), 1u);
    EXPECT_EQ(result, FrameReader::Result::kMalformed);
}

TEST(FrameReader, KeepsOnlyWhatIsNotYetGivenOut) {
    FrameReader reader;
    auto frame = Frame(1, 4, std::string(100, 'p'));
    TcpCommand command;
    std::vector<std::uint8_t> body;
    for (int i = 0; i < 1000; ++i) {
        reader.Append(frame.data(), frame.size());
        ASSERT_EQ(reader.Next(command, body), FrameReader::Result::kFrame);
    }
    EXPECT_EQ(reader.Pending(), 0u);
    reader.Append(frame.data(), 5);
    EXPECT_EQ(reader.Pending(), 5u);
    reader.Clear();
    EXPECT_EQ(reader.Pending(), 0u);
}

}  // namespace
}  // namespace gatevane
