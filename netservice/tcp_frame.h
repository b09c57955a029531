#pragma once
// The wire format of NetworkService.dll: every message travels as one frame, a fixed 8-byte header
// and then the body. All integers are little-endian.
//
//   offset  size  field
//   0       1     marker, always 0xC7: a stream that does not start a frame with it is not ours
//   1       1     format version, always 1
//   2       2     body size in bytes, 0 .. kMaxFrameBody
//   4       2     main command
//   6       2     sub command
//   8       n     body
//
// A frame whose marker or version is wrong, or whose body size is over kMaxFrameBody, is malformed:
// the component closes the connection (a shut event), since nothing after it can be trusted.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "contracts/tcp_command.h"

namespace gatevane {

constexpr std::uint8_t kFrameMarker = 0xC7;
constexpr std::uint8_t kFrameVersion = 1;
constexpr std::size_t kFrameHeaderSize = 8;
// Larger than any message of the logon exchange (136 bytes) by far; bounds what one frame may make
// the component hold.
constexpr std::size_t kMaxFrameBody = 16384;

// The frame carrying `body`; empty when the body is over kMaxFrameBody.
std::vector<std::uint8_t> EncodeFrame(TcpCommand command, const void* body, std::size_t size);

// Cuts a received byte stream into frames, however the stream was split into segments.
class FrameReader {
public:
    enum class Result { kNeedMore, kFrame, kMalformed };

    void Append(const void* bytes, std::size_t size);
    // The next whole frame, if there is one: on kFrame, `command` and `body` describe it (the body
    // stays valid until the next call). kMalformed is final: the stream cannot be read further.
    Result Next(TcpCommand& command, std::vector<std::uint8_t>& body);
    // Bytes received but not yet given out as frames.
    std::size_t Pending() const { return buffer_.size() - consumed_; }
    void Clear();

private:
    std::vector<std::uint8_t> buffer_;
    std::size_t consumed_ = 0;
    bool malformed_ = false;
};

}  // namespace gatevane
