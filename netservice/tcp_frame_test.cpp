#include "netservice/tcp_frame.h"

#include <gtest/gtest.h>

#include <string>

namespace gatevane {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Frame(std::uint16_t main, std::uint16_t sub, const std::string& body) {
    return EncodeFrame({main, sub}, body.data(), body.size());
}

// Every frame the reader gives for `stream` fed in pieces of `piece` bytes ("main.sub:body"), then
// whether it waits for more or has found the stream malformed.
std::string Read(const Bytes& stream, std::size_t piece) {
    FrameReader reader;
    std::string read;
    FrameReader::Result result = FrameReader::Result::kNeedMore;
    for (std::size_t at = 0; at < stream.size() && result != FrameReader::Result::kMalformed;
         at += piece) {
        reader.Append(stream.data() + at, std::min(piece, stream.size() - at));
        TcpCommand command;
        Bytes body;
        while ((result = reader.Next(command, body)) == FrameReader::Result::kFrame) {
            read += std::to_string(command.mainCommand) + "." + std::to_string(command.subCommand) +
                    ":" + std::string(body.begin(), body.end()) + " ";
        }
    }
    return read + (result == FrameReader::Result::kMalformed ? "malformed" : "more");
}

TEST(TcpFrame, IsWrittenLittleEndianAndReadHoweverTheStreamIsCutUntilItIsNoFrame) {
    EXPECT_EQ(Frame(0x0102, 0xA0B0, "hi"),
              (Bytes{0xC7, 1, 2, 0, 0x02, 0x01, 0xB0, 0xA0, 'h', 'i'}));
    EXPECT_EQ(Frame(1, 4, "").size(), kFrameHeaderSize);
    EXPECT_EQ(Frame(1, 4, std::string(kMaxFrameBody, 'x')).size(),
              kFrameHeaderSize + kMaxFrameBody);
    EXPECT_TRUE(Frame(1, 4, std::string(kMaxFrameBody + 1, 'x')).empty());
    Bytes stream = Frame(1, 4, std::string(136, 'r'));
    for (const Bytes& frame : {Frame(9, 1, ""), Frame(2, 5, "abc")}) {
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    for (std::size_t piece : {std::size_t(1), std::size_t(3), std::size_t(7), stream.size()}) {
        EXPECT_EQ(Read(stream, piece), "1.4:" + std::string(136, 'r') + " 9.1: 2.5:abc more")
            << "pieces of " << piece;
    }
    const Bytes bad[] = {
        {0x00},                             // no marker
        {0xC7, 2},                          // another format version
        {0xC7, 1, 0x01, 0x40},              // a body of 16385 bytes announced
        {0xC7, 1, 0xFF, 0xFF, 1, 0, 4, 0},  // a body of 65535 bytes announced
    };
    for (const Bytes& bytes : bad) EXPECT_EQ(Read(bytes, 1), "malformed");
    // A good frame before garbage is still given; then the stream is finished for good.
    const Bytes good = Frame(1, 4, "ok");
    stream = good;
    stream.insert(stream.end(), {'G', 'E', 'T', ' '});
    stream.insert(stream.end(), good.begin(), good.end());
    EXPECT_EQ(Read(stream, stream.size()), "1.4:ok malformed");

    // The reader keeps only what it has not given out yet.
    FrameReader reader;
    const Bytes frame = Frame(1, 4, std::string(100, 'p'));
    TcpCommand command;
    Bytes body;
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
