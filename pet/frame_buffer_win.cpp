#include "pet/frame_buffer_win.h"

#include <cstring>
#include <utility>

namespace ostrelpet {

FrameBuffer::FrameBuffer(FrameBuffer&& other) noexcept {
    *this = std::move(other);
}

FrameBuffer& FrameBuffer::operator=(FrameBuffer&& other) noexcept {
    if (this == &other) return *this;
    if (dc_ && previous_) ::SelectObject(dc_.get(), previous_);
    bitmap_.reset();
    dc_ = std::move(other.dc_);
    bitmap_ = std::move(other.bitmap_);
    previous_ = std::exchange(other.previous_, nullptr);
    bits_ = std::exchange(other.bits_, nullptr);
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    return *this;
}

FrameBuffer::~FrameBuffer() {
    // A bitmap still selected into a DC is not deleted: give the DC its own back first.
    if (dc_ && previous_) ::SelectObject(dc_.get(), previous_);
}

FrameBuffer FrameBuffer::Create(HDC reference, int width, int height) {
    FrameBuffer buffer;
    if (width <= 0 || height <= 0) return buffer;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // rows top-down, as the window's
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    buffer.dc_.reset(::CreateCompatibleDC(reference));
    if (!buffer.dc_) return buffer;
    void* bits = nullptr;
    buffer.bitmap_.reset(::CreateDIBSection(reference, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!buffer.bitmap_ || !bits) return FrameBuffer();
    buffer.previous_ = ::SelectObject(buffer.dc_.get(), buffer.bitmap_.get());
    buffer.bits_ = static_cast<std::uint8_t*>(bits);
    buffer.width_ = width;
    buffer.height_ = height;
    return buffer;
}

void FrameBuffer::Fill(std::uint8_t value) const {
    if (!bits_) return;
    ::GdiFlush();  // GDI may still be drawing into the section
    std::memset(bits_, value, bytes());
}

}  // namespace ostrelpet
