#include "launcher/update/md5.h"

#include <gtest/gtest.h>

#include <string>

#include "launcher/update/background_md5.h"
#include "launcher/update/checksum_stream.h"

namespace gatevane {
namespace {

// A reader over `data` that hands out at most `chunk` bytes a call and fails at `failAt` calls.
ChunkReader ReaderOver(const std::string& data, std::size_t chunk, int failAt = -1) {
    auto at = std::make_shared<std::size_t>(0);
    auto calls = std::make_shared<int>(0);
    return [=, &data](char* buffer, std::size_t capacity) -> long {
        if ((*calls)++ == failAt) return -1;
        std::size_t count = std::min({chunk, capacity, data.size() - *at});
        data.copy(buffer, count, *at);
        *at += count;
        return static_cast<long>(count);
    };
}

TEST(Md5, MatchesTheReferenceSuiteHoweverTheDataIsSplitReadOrQueued) {
    const std::pair<std::string, const char*> cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        // 55, 56 and 64 bytes put the length field in the same, the next, and a fresh block.
        {std::string(55, 'a'), "ef1772b6dff9a122358552954ad0df65"},
        {std::string(56, 'a'), "3b0c8ac703f828b04c6c197006d17218"},
        {std::string(64, 'a'), "014842d480b571495a4a0363793f7367"},
        {"1234567890123456789012345678901234567890"
         "1234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"}};
    for (const auto& [data, digest] : cases) {
        EXPECT_EQ(ChecksumTextOf(data), digest) << data.size() << " bytes";
        for (std::size_t piece : {1u, 63u, 65u}) {
            Md5 md5;
            for (std::size_t at = 0; at < data.size(); at += piece) {
                md5.Update(data.data() + at, std::min(piece, data.size() - at));
            }
            EXPECT_EQ(ChecksumText(md5.Finish()), digest) << "pieces of " << piece;
        }
    }

    std::string data(5 * 1024 * 1024 + 12345, '\0');
    std::uint32_t seed = 7;
    for (char& c : data) c = static_cast<char>((seed = seed * 1103515245 + 12345) >> 24);
    // Short reads still digest everything; a failed read gives no checksum.
    EXPECT_EQ(StreamChecksumText(ReaderOver(data, 1000)), ChecksumTextOf(data));
    EXPECT_EQ(StreamChecksumText(ReaderOver(data, kChecksumChunkSize)), ChecksumTextOf(data));
    EXPECT_EQ(StreamChecksumText(ReaderOver("", 10)), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(StreamChecksumText(ReaderOver(data, 1000, 0)), "");
    EXPECT_EQ(StreamChecksumText(ReaderOver(data, 1000, 3)), "");

    // In the background, fed in any pieces.
    BackgroundMd5 md5;
    EXPECT_EQ(md5.FinishText(), "d41d8cd98f00b204e9800998ecf8427e");
    // Pieces of every awkward size: one byte, a data callback's 65535, more than the queue holds.
    for (std::size_t piece : {std::size_t(1), std::size_t(65535), std::size_t(3 * 1024 * 1024)}) {
        for (std::size_t at = 0; at < data.size(); at += piece) {
            md5.Update(data.data() + at, std::min(piece, data.size() - at));
        }
        EXPECT_EQ(md5.FinishText(), ChecksumTextOf(data)) << "pieces of " << piece;
    }
    // A reset drops what was fed, queued or not.
    md5.Update(data.data(), data.size());
    md5.Reset();
    md5.Update("abc", 3);
    EXPECT_EQ(md5.FinishText(), "900150983cd24fb0d6963f7d28e17f72");
    // Ending with bytes still queued is safe.
    md5.Update(data.data(), data.size());
}

}  // namespace
}  // namespace gatevane
