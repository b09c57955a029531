#include "netservice/tcp_frame.h"

#include <cstring>

namespace gatevane {
namespace {

void PutUint16(std::uint16_t value, std::uint8_t* out) {
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint16_t GetUint16(const std::uint8_t* in) {
    return static_cast<std::uint16_t>(in[0] | in[1] << 8);
}

}  // namespace

std::vector<std::uint8_t> EncodeFrame(TcpCommand command, const void* body, std::size_t size) {
    if (size > kMaxFrameBody) return {};
    std::vector<std::uint8_t> frame(kFrameHeaderSize + size);
    frame[0] = kFrameMarker;
    frame[1] = kFrameVersion;
    PutUint16(static_cast<std::uint16_t>(size), &frame[2]);
    PutUint16(command.mainCommand, &frame[4]);
    PutUint16(command.subCommand, &frame[6]);
    if (size > 0) std::memcpy(&frame[kFrameHeaderSize], body, size);
    return frame;
}

void FrameReader::Append(const void* bytes, std::size_t size) {
    if (malformed_) return;
    // Drop what has been given out before growing, so the buffer stays near one frame in size.
    if (consumed_ > 0) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(consumed_));
        consumed_ = 0;
    }
    auto* data = static_cast<const std::uint8_t*>(bytes);
    buffer_.insert(buffer_.end(), data, data + size);
}

FrameReader::Result FrameReader::Next(TcpCommand& command, std::vector<std::uint8_t>& body) {
    if (malformed_) return Result::kMalformed;
    const std::uint8_t* header = buffer_.data() + consumed_;
    const std::size_t available = Pending();
    // The marker and version are checked as soon as they arrive, so garbage is refused at once.
    if ((available >= 1 && header[0] != kFrameMarker) ||
        (available >= 2 && header[1] != kFrameVersion) ||
        (available >= 4 && GetUint16(header + 2) > kMaxFrameBody)) {
        malformed_ = true;
        return Result::kMalformed;
    }
    if (available < kFrameHeaderSize) return Result::kNeedMore;
    const std::size_t size = GetUint16(header + 2);
    if (available < kFrameHeaderSize + size) return Result::kNeedMore;

    command = {GetUint16(header + 4), GetUint16(header + 6)};
    body.assign(header + kFrameHeaderSize, header + kFrameHeaderSize + size);
    consumed_ += kFrameHeaderSize + size;
    return Result::kFrame;
}

void FrameReader::Clear() {
    buffer_.clear();
    consumed_ = 0;
    malformed_ = false;
}

}  // namespace gatevane
