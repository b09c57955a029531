// FlashHost's frames: windowed drawing on WM_PAINT, or the layered frame with per-pixel alpha.
#include "pet/flash_host_win.h"

#include "pet/two_pass_alpha.h"

namespace ostrelpet {

void FlashHost::RenderFrame(HDC dc, const RECT*, bool) {
    if (!window_) return;
    if (layered_) {
        RenderLayered();
    } else {
        RenderWindowed(dc);
    }
}

void FlashHost::RenderWindowed(HDC dc) {
    IViewObject* view = ViewObject();
    if (!view) return;
    const RECT bounds = ClientRect();
    if (dc) {
        ::OleDraw(view, DVASPECT_CONTENT, dc, &bounds);
        return;
    }
    gatevane::WindowDc own(window_.get());
    if (own.get()) ::OleDraw(view, DVASPECT_CONTENT, own.get(), &bounds);
}

bool FlashHost::BuffersFit(const RECT& windowRect) const {
    return black_ && (!twoPassAlpha_ || white_) && ::EqualRect(&bufferRect_, &windowRect);
}

// Every move of PetWindow makes them again: the rectangle, not only its size, is what they were
// made for.
void FlashHost::MakeBuffers(const RECT& windowRect) {
    black_ = FrameBuffer();
    white_ = FrameBuffer();
    bufferRect_ = windowRect;
    gatevane::WindowDc reference(window_.get());
    const int width = windowRect.right - windowRect.left;
    const int height = windowRect.bottom - windowRect.top;
    black_ = FrameBuffer::Create(reference.get(), width, height);
    if (twoPassAlpha_) white_ = FrameBuffer::Create(reference.get(), width, height);
}

// The control draws over what the buffer holds: it writes colour and alpha itself unless it is a
// version 8 player, which paints opaque colours only.
void FlashHost::DrawInto(const FrameBuffer& buffer, std::uint8_t background) {
    buffer.Fill(background);
    const RECT bounds = ClientRect();
    ::OleDraw(ViewObject(), DVASPECT_TRANSPARENT, buffer.dc(), &bounds);
    ::GdiFlush();
}

void FlashHost::RenderLayered() {
    RECT windowRect{};
    ::GetWindowRect(window_.get(), &windowRect);
    if (!BuffersFit(windowRect)) MakeBuffers(windowRect);
    if (!black_ || (twoPassAlpha_ && !white_)) return;
    lastAlphaPassTicks_ = 0;
    if (oleObject_ && ViewObject()) {
        DrawInto(black_, 0);
        if (twoPassAlpha_) {
            DrawInto(white_, 255);
            LARGE_INTEGER start, end;
            ::QueryPerformanceCounter(&start);
            MergeTwoPassAlpha(black_.bits(), white_.bits(), black_.pixels());
            ::QueryPerformanceCounter(&end);
            lastAlphaPassTicks_ = end.QuadPart - start.QuadPart;
        }
    }
    POINT destination{windowRect.left, windowRect.top};
    SIZE size{black_.width(), black_.height()};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    updateLayeredWindow_(window_.get(), nullptr, &destination, &size, black_.dc(), &source, 0,
                         &blend, ULW_ALPHA);
}

}  // namespace ostrelpet
