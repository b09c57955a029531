#pragma once
// One frame buffer of the layered pet: a memory device context with a top-down 32-bit DIB section
// selected into it, so the player draws through GDI and the host reads and writes the pixels
// (blue, green, red, alpha) directly.

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "base/unique_handle_win.h"

namespace ostrelpet {

class FrameBuffer {
public:
    FrameBuffer() = default;
    FrameBuffer(FrameBuffer&&) noexcept;
    FrameBuffer& operator=(FrameBuffer&&) noexcept;
    ~FrameBuffer();

    // A buffer of `width` × `height` pixels compatible with `reference`; empty when GDI refuses.
    static FrameBuffer Create(HDC reference, int width, int height);

    explicit operator bool() const { return bits_ != nullptr; }
    HDC dc() const { return dc_.get(); }
    std::uint8_t* bits() const { return bits_; }
    std::size_t pixels() const { return static_cast<std::size_t>(width_) * height_; }
    std::size_t bytes() const { return pixels() * 4; }
    int width() const { return width_; }
    int height() const { return height_; }
    // Every byte set to `value` (0 for black, 255 for white, both with that alpha).
    void Fill(std::uint8_t value) const;

private:
    gatevane::UniqueMemoryDc dc_;
    gatevane::UniqueBitmap bitmap_;
    HGDIOBJ previous_ = nullptr;  // the DC's own bitmap, selected back before the DC ends
    std::uint8_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace ostrelpet
