#include "launcher/register/name_check_messages.h"

#include <cstring>

#include "launcher/common/ansi_text.h"

namespace gatevane {

std::array<std::uint8_t, kNameCheckRequestSize> EncodeNameCheckRequest(std::string_view name) {
    std::array<std::uint8_t, kNameCheckRequestSize> body{};
    CopyAnsiText(name, reinterpret_cast<char*>(body.data()), body.size());
    return body;
}

std::string DecodeNameCheckRequest(const std::uint8_t* body) {
    const char* text = reinterpret_cast<const char*>(body);
    return std::string(text, strnlen(text, kNameCheckRequestSize - 1));
}

std::array<std::uint8_t, kNameCheckReplySize> EncodeNameCheckReply(const NameCheckReply& reply) {
    std::array<std::uint8_t, kNameCheckReplySize> body{};
    for (int i = 0; i < 4; ++i) body[i] = static_cast<std::uint8_t>(reply.kind >> (8 * i));
    body[4] = reply.acceptable ? 1 : 0;
    CopyAnsiText(reply.remark, reinterpret_cast<char*>(&body[5]), kRemarkCapacity);
    return body;
}

std::optional<NameCheckReply> DecodeNameCheckReply(const std::uint8_t* body, std::size_t size) {
    if (size != kNameCheckReplySize) return std::nullopt;
    NameCheckReply reply;
    reply.kind = std::uint32_t(body[0]) | std::uint32_t(body[1]) << 8 |
                 std::uint32_t(body[2]) << 16 | std::uint32_t(body[3]) << 24;
    reply.acceptable = body[4] != 0;
    // A server that fills the whole field leaves no terminator; what it holds is taken in whole
    // characters.
    const char* field = reinterpret_cast<const char*>(&body[5]);
    char remark[kRemarkCapacity + 1];
    const std::size_t length = CopyAnsiText(
        std::string_view(field, strnlen(field, kRemarkCapacity)), remark, sizeof remark);
    reply.remark.assign(remark, length);
    return reply;
}

}  // namespace gatevane
