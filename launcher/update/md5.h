#pragma once
// MD5 message digest (RFC 1321): the checksum the update list and the installer compare files by.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace gatevane {

using Md5Digest = std::array<std::uint8_t, 16>;

class Md5 {
public:
    Md5();
    void Update(const void* data, std::size_t length);
    // Pads the message, appends its bit length and returns the digest. Call once.
    Md5Digest Finish();

private:
    void ProcessBlocks(const std::uint8_t* blocks, std::size_t count);

    std::uint32_t state_[4];
    std::uint64_t byteCount_ = 0;
    std::uint8_t pending_[64];
};

// The checksum text: 32 lowercase hexadecimal characters, two per digest byte in digest order.
std::string ChecksumText(const Md5Digest& digest);

// The checksum text of `bytes`.
std::string ChecksumTextOf(std::string_view bytes);

}  // namespace gatevane
