#include "toolkit/render_win.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "base/unique_handle_win.h"
#include "toolkit/ansi_wide_win.h"

namespace render {

using gatevane::SelectedObject;
using gatevane::UniqueBitmap;
using gatevane::UniqueBrush;
using gatevane::UniqueMemoryDc;
using gatevane::UniquePen;
namespace {

// Covered share of the pixel (x, y) of a w x h rectangle with rounded corners of radii rx, ry.
double RoundCoverage(int x, int y, int w, int h, double rx, double ry) {
    if (rx <= 0 || ry <= 0) return 1.0;
    double px = x + 0.5;
    double py = y + 0.5;
    double cx = px < rx ? rx : (px > w - rx ? w - rx : px);
    double cy = py < ry ? ry : (py > h - ry ? h - ry : py);
    if (cx == px || cy == py) return 1.0;
    double dx = (px - cx) / rx;
    double dy = (py - cy) / ry;
    double outside = (std::sqrt(dx * dx + dy * dy) - 1.0) * std::min(rx, ry);
    return std::clamp(0.5 - outside, 0.0, 1.0);
}

void BlendPixels(HDC dc, const RECT& rc, const std::vector<std::uint32_t>& pixels) {
    int w = rc.right - rc.left;
    int h = rc.bottom - rc.top;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateArgbBitmap(w, h, &bits));
    if (!bitmap) return;
    std::copy(pixels.begin(), pixels.end(), static_cast<std::uint32_t*>(bits));
    UniqueMemoryDc memory(::CreateCompatibleDC(dc));
    SelectedObject selected(memory.get(), bitmap.get());
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::AlphaBlend(dc, rc.left, rc.top, w, h, memory.get(), 0, 0, w, h, blend);
}

std::uint32_t Premultiplied(std::uint32_t argb, double coverage) {
    double a = ((argb >> 24) & 0xFF) * coverage / 255.0;
    auto channel = [&](int shift) {
        return static_cast<std::uint32_t>(((argb >> shift) & 0xFF) * a + 0.5) << shift;
    };
    return (static_cast<std::uint32_t>(a * 255 + 0.5) << 24) | channel(16) | channel(8) |
           channel(0);
}

void Blit(HDC dc, HDC source, const RECT& to, const RECT& from) {
    int dw = to.right - to.left;
    int dh = to.bottom - to.top;
    int sw = from.right - from.left;
    int sh = from.bottom - from.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::AlphaBlend(dc, to.left, to.top, dw, dh, source, from.left, from.top, sw, sh, blend);
}

}  // namespace

HBITMAP CreateArgbBitmap(int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

COLORREF ToColorRef(std::uint32_t argb) {
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

void FillColor(HDC dc, const RECT& rc, std::uint32_t argb, ui::Extent round) {
    int w = rc.right - rc.left;
    int h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0 || (argb >> 24) == 0) return;
    bool rounded = round.cx > 0 && round.cy > 0;
    if ((argb >> 24) == 0xFF && !rounded) {
        UniqueBrush brush(::CreateSolidBrush(ToColorRef(argb)));
        ::FillRect(dc, &rc, brush.get());
        return;
    }
    std::vector<std::uint32_t> pixels(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            double coverage =
                rounded ? RoundCoverage(x, y, w, h, round.cx / 2.0, round.cy / 2.0) : 1.0;
            pixels[static_cast<size_t>(y) * w + x] = Premultiplied(argb, coverage);
        }
    }
    BlendPixels(dc, rc, pixels);
}

void DrawFrame(HDC dc, const RECT& rc, std::uint32_t argb, int size, ui::Extent round) {
    if (size <= 0 || (argb >> 24) == 0) return;
    if (round.cx > 0 && round.cy > 0) {
        UniquePen pen(::CreatePen(PS_SOLID, size, ToColorRef(argb)));
        SelectedObject selectedPen(dc, pen.get());
        SelectedObject selectedBrush(dc, ::GetStockObject(NULL_BRUSH));
        ::RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, round.cx, round.cy);
        return;
    }
    FillColor(dc, RECT{rc.left, rc.top, rc.right, rc.top + size}, argb);
    FillColor(dc, RECT{rc.left, rc.bottom - size, rc.right, rc.bottom}, argb);
    FillColor(dc, RECT{rc.left, rc.top + size, rc.left + size, rc.bottom - size}, argb);
    FillColor(dc, RECT{rc.right - size, rc.top + size, rc.right, rc.bottom - size}, argb);
}

void DrawImage(HDC dc, const RECT& rc, const LoadedImage& image, const ui::ImageSpec& picture) {
    RECT from{0, 0, image.width, image.height};
    if (picture.source) {
        from = RECT{std::clamp(picture.source->left, 0, image.width),
                    std::clamp(picture.source->top, 0, image.height),
                    std::clamp(picture.source->right, 0, image.width),
                    std::clamp(picture.source->bottom, 0, image.height)};
    }
    RECT to = rc;
    if (picture.dest) {
        to = RECT{rc.left + picture.dest->left, rc.top + picture.dest->top,
                  rc.left + picture.dest->right, rc.top + picture.dest->bottom};
    }
    UniqueMemoryDc memory(::CreateCompatibleDC(dc));
    SelectedObject selected(memory.get(), image.bitmap.get());
    const ui::Box& c = picture.corner;
    if (c == ui::Box{}) {
        Blit(dc, memory.get(), to, from);
    } else {
        // Nine parts: the corners keep their size, the edges stretch one way, the middle both.
        const LONG toX[] = {to.left, to.left + c.left, to.right - c.right, to.right};
        const LONG toY[] = {to.top, to.top + c.top, to.bottom - c.bottom, to.bottom};
        const LONG fromX[] = {from.left, from.left + c.left, from.right - c.right, from.right};
        const LONG fromY[] = {from.top, from.top + c.top, from.bottom - c.bottom, from.bottom};
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) {
                Blit(dc, memory.get(), RECT{toX[column], toY[row], toX[column + 1], toY[row + 1]},
                     RECT{fromX[column], fromY[row], fromX[column + 1], fromY[row + 1]});
            }
        }
    }
}

void DrawText(HDC dc, RECT rc, const char* text, HFONT font, std::uint32_t argb, UINT format) {
    if (!text || !*text) return;
    std::wstring wide = ui::WidenAnsi(text);
    int length = static_cast<int>(wide.size());
    SelectedObject selectedFont(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ToColorRef(argb));
    if ((format & DT_WORDBREAK) && (format & (DT_VCENTER | DT_BOTTOM))) {
        // DrawText centres only single lines; wrapped text is measured and moved by hand.
        RECT measured = rc;
        ::DrawTextW(dc, wide.c_str(), length, &measured, format | DT_NOPREFIX | DT_CALCRECT);
        LONG spare = (rc.bottom - rc.top) - (measured.bottom - measured.top);
        if (spare > 0) rc.top += (format & DT_BOTTOM) ? spare : spare / 2;
    }
    ::DrawTextW(dc, wide.c_str(), length, &rc, format | DT_NOPREFIX);
}

}  // namespace render
