#include "launcher/update/background_md5.h"

#include <gtest/gtest.h>

#include <string>

namespace gatevane {
namespace {

TEST(BackgroundMd5, TheDigestOfEveryFeedingIsTheDirectOne) {
    std::string data(5 * 1024 * 1024 + 12345, '\0');
    std::uint32_t seed = 7;
    for (char& c : data) c = static_cast<char>((seed = seed * 1103515245 + 12345) >> 24);

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
