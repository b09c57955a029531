#include "launcher/update/checksum_stream.h"

#include <memory>

#include "launcher/update/md5.h"

namespace gatevane {

std::string StreamChecksumText(const ChunkReader& read) {
    auto buffer = std::make_unique<char[]>(kChecksumChunkSize);
    Md5 md5;
    for (;;) {
        long count = read(buffer.get(), kChecksumChunkSize);
        if (count < 0) return {};
        if (count == 0) break;
        md5.Update(buffer.get(), static_cast<std::size_t>(count));
    }
    return ChecksumText(md5.Finish());
}

}  // namespace gatevane
