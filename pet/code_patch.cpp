#include "pet/code_patch.h"

#include <cstring>

namespace ostrelpet {

namespace {

void PutLittleEndian(std::uint8_t* out, std::uint64_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::int32_t ReadInt32(const std::uint8_t* in) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | in[i];
    return static_cast<std::int32_t>(value);
}

std::uint64_t Wrap(CodeWidth width, std::uint64_t address) {
    return width == CodeWidth::X86 ? address & 0xFFFFFFFFu : address;
}

}  // namespace

std::optional<LeadingJump> ReadLeadingJump(CodeWidth width, std::uint64_t at,
                                           const std::uint8_t* code) {
    if (code[0] == 0xE9) {
        const std::uint64_t next = at + 5;
        return LeadingJump{LeadingJump::Kind::Direct,
                           Wrap(width, next + static_cast<std::int64_t>(ReadInt32(code + 1)))};
    }
    if (code[0] == 0xFF && code[1] == 0x25) {
        const std::int32_t operand = ReadInt32(code + 2);
        // x86_64 addresses the slot relative to the next instruction; i686 names it outright.
        const std::uint64_t slot = width == CodeWidth::X64
                                       ? at + 6 + static_cast<std::int64_t>(operand)
                                       : static_cast<std::uint32_t>(operand);
        return LeadingJump{LeadingJump::Kind::Through, slot};
    }
    return std::nullopt;
}

JumpBytes MakeJump(CodeWidth width, std::uint64_t from, std::uint64_t to) {
    JumpBytes jump;
    if (width == CodeWidth::X86) {
        jump.size = 5;
        jump.bytes[0] = 0xE9;
        // Modulo 2^32: the address space of i686 wraps the same way.
        PutLittleEndian(&jump.bytes[1], to - (from + jump.size), 4);
    } else {
        jump.size = 14;
        jump.bytes[0] = 0xFF;
        jump.bytes[1] = 0x25;  // jmp qword ptr [rip + 0]: the address follows the instruction
        PutLittleEndian(&jump.bytes[6], to, 8);
    }
    return jump;
}

CodePatch::CodePatch(CodeWriter& writer, std::uint8_t* target, std::uint64_t replacement,
                     CodeWidth width)
    : writer_(writer),
      target_(target),
      jump_(MakeJump(width, reinterpret_cast<std::uintptr_t>(target), replacement)) {}

CodePatch::~CodePatch() {
    Remove();
}

bool CodePatch::Install() {
    if (state_ == State::Installed) return true;
    if (state_ == State::Removed) std::memcpy(saved_.data(), target_, jump_.size);
    if (!writer_.Write(target_, jump_.bytes.data(), jump_.size)) return false;
    state_ = State::Installed;
    return true;
}

bool CodePatch::Remove() {
    if (state_ == State::Removed) return true;
    if (state_ == State::Installed && !writer_.Write(target_, saved_.data(), jump_.size)) {
        return false;
    }
    state_ = State::Removed;
    return true;
}

bool CodePatch::Suspend() {
    if (state_ != State::Installed) return false;
    if (!writer_.Write(target_, saved_.data(), jump_.size)) return false;
    state_ = State::Suspended;
    return true;
}

bool CodePatch::Resume() {
    if (state_ != State::Suspended) return false;
    if (!writer_.Write(target_, jump_.bytes.data(), jump_.size)) return false;
    state_ = State::Installed;
    return true;
}

}  // namespace ostrelpet
