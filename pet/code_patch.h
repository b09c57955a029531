#pragma once
// A jump written over the first bytes of a function, so that every caller lands in a replacement
// instead; the bytes it covers are kept so the function can be given back.
//
//   i686:   E9 <rel32>                         5 bytes, relative to the end of the jump
//   x86_64: FF 25 00000000 <absolute 64-bit>   14 bytes, "jmp [rip+0]" followed by the address
//
// On x86_64 a replacement in the program's image can lie more than 2 GiB away from a system DLL,
// where a 32-bit displacement cannot reach, so the jump carries the whole address (and touches no
// register, not even the volatile ones).
//
//   Removed --Install--> Installed --Remove--> Removed
//                        Installed --Suspend--> Suspended --Resume--> Installed
//
// The bytes reach the code through a CodeWriter: the platform's side makes the page writable,
// keeps the program's own threads from seeing a half-written jump and flushes the instruction
// cache; here it is only a seam, so the rules above are tested natively.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace ostrelpet {

enum class CodeWidth { X86, X64 };

// The width of the code this program is built as.
constexpr CodeWidth NativeCodeWidth() {
    return sizeof(void*) == 8 ? CodeWidth::X64 : CodeWidth::X86;
}

struct JumpBytes {
    static constexpr std::size_t kMaxSize = 14;
    std::array<std::uint8_t, kMaxSize> bytes{};
    std::size_t size = 0;
};

// The jump placed at `from` that continues at `to`.
JumpBytes MakeJump(CodeWidth width, std::uint64_t from, std::uint64_t to);

// An import thunk ("jmp [slot]") or a plain jump at a function's entry: the function itself lies
// where it leads, and the patch belongs there (a 14-byte jump written over a 6-byte thunk would
// run into the next one).
struct LeadingJump {
    enum class Kind {
        Direct,   // `address` is where the code continues
        Through,  // `address` holds the pointer to where the code continues
    };
    Kind kind;
    std::uint64_t address;
};

// The jump that `code` (the first 6 bytes at `at`) begins with, if it begins with one.
std::optional<LeadingJump> ReadLeadingJump(CodeWidth width, std::uint64_t at,
                                           const std::uint8_t* code);

class CodeWriter {
public:
    virtual ~CodeWriter() = default;
    // Writes `size` bytes at `at` as one change; false when the code could not be written (then
    // nothing was changed).
    virtual bool Write(std::uint8_t* at, const std::uint8_t* bytes, std::size_t size) = 0;
};

class CodePatch {
public:
    // `target` is the function's first byte; `replacement` its stand-in's address.
    CodePatch(CodeWriter& writer, std::uint8_t* target, std::uint64_t replacement,
              CodeWidth width = NativeCodeWidth());
    CodePatch(const CodePatch&) = delete;
    CodePatch& operator=(const CodePatch&) = delete;
    // Gives the function back if it is still patched.
    ~CodePatch();

    // Saves the bytes the jump covers and writes it. False (and nothing changed) when the code
    // cannot be written; true at once when already installed.
    bool Install();
    // Writes the saved bytes back for good.
    bool Remove();
    // The original bytes for a moment (to call the function itself), then the jump again.
    bool Suspend();
    bool Resume();

    bool installed() const { return state_ == State::Installed; }
    std::size_t size() const { return jump_.size; }
    const std::uint8_t* saved() const { return saved_.data(); }

private:
    enum class State { Removed, Installed, Suspended };

    CodeWriter& writer_;
    std::uint8_t* target_;
    JumpBytes jump_;
    std::array<std::uint8_t, JumpBytes::kMaxSize> saved_{};
    State state_ = State::Removed;
};

}  // namespace ostrelpet
