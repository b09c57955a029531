#pragma once
// Drawing primitives of the controls, all into the window's 32-bit back buffer.

#include <windows.h>

#include <cstdint>

#include "toolkit/image_cache_win.h"
#include "toolkit/skin_values.h"

namespace render {

// Fills with an AARRGGBB colour, blending when it is not opaque, with rounded corners of the
// given ellipse size (0,0: square).
void FillColor(HDC dc, const RECT& rc, std::uint32_t argb, ui::Extent round = {});
void DrawFrame(HDC dc, const RECT& rc, std::uint32_t argb, int size, ui::Extent round = {});
// Draws the image string's picture into the control rectangle `rc` (nine-grid when it has
// corners).
void DrawImage(HDC dc, const RECT& rc, const LoadedImage& image, const ui::ImageSpec& picture);
// Text in the system's ANSI code page, drawn with DrawText's format flags.
void DrawText(HDC dc, RECT rc, const char* text, HFONT font, std::uint32_t argb, UINT format);
COLORREF ToColorRef(std::uint32_t argb);
// A 32-bit top-down bitmap whose pixels (premultiplied BGRA) the caller writes through `bits`.
HBITMAP CreateArgbBitmap(int width, int height, void** bits);

}  // namespace render
