#pragma once
// The name availability check of the registration form, as exchanged with the logon server
// (port 9005): the launcher asks whether an account or a nickname is free; the server answers
// whether it is acceptable, with a remark to show.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace gatevane {

constexpr std::uint16_t kNameCheckMainCommand = 1;
constexpr std::uint16_t kAccountCheckSubCommand = 4;   // the request about an account; every reply
constexpr std::uint16_t kNicknameCheckSubCommand = 5;  // the request about a nickname

// NameCheckRequest: the name, zero-terminated, in 32 bytes (at most 31 bytes of text).
constexpr std::size_t kNameCheckRequestSize = 32;
// NameCheckReply: kind (u32: 1 account, 2 nickname), result (u8: non-zero = acceptable), remark
// (zero-terminated text in 131 bytes).
constexpr std::size_t kNameCheckReplySize = 136;
constexpr std::size_t kRemarkCapacity = 131;

enum class NameKind : std::uint32_t { kAccount = 1, kNickname = 2 };

// The name cut to 31 bytes, never inside a double-byte character.
std::array<std::uint8_t, kNameCheckRequestSize> EncodeNameCheckRequest(std::string_view name);
// The name a request asks about (up to its first zero byte, at most 31 bytes).
std::string DecodeNameCheckRequest(const std::uint8_t* body);

struct NameCheckReply {
    std::uint32_t kind;
    bool acceptable;
    std::string remark;
};
// The remark is cut to 130 bytes, without splitting a double-byte character.
std::array<std::uint8_t, kNameCheckReplySize> EncodeNameCheckReply(const NameCheckReply& reply);
// The reply in a body of exactly 136 bytes; nothing for any other size. A remark without its
// terminator is read up to the end of its field, without the half of a double-byte character
// that the field's end may cut.
std::optional<NameCheckReply> DecodeNameCheckReply(const std::uint8_t* body, std::size_t size);

}  // namespace gatevane
