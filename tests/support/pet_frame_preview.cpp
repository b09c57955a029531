// PetFramePreview.exe OUT.bmp: one frame of the pet as a compositing desktop shows it. The pet's
// host runs in this process with the registered movie player, and the frame it hands to
// UpdateLayeredWindow is blended (AlphaBlend, per-pixel alpha) over a checkerboard of two colours,
// which Xvfb, having no compositor, cannot show. Written as a 24-bit BMP of 165 × 165 pixels.
#include <windows.h>

#include <cstdio>
#include <memory>

#include "pet/flash_host_win.h"
#include "pet/pet_window_win.h"

namespace {

bool SaveBmp(const char* path, HDC dc, HBITMAP bitmap, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::unique_ptr<BYTE[]> pixels(new BYTE[stride * height]);
    if (!::GetDIBits(dc, bitmap, 0, height, pixels.get(), &info, DIB_RGB_COLORS)) return false;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + stride * height;
    FILE* out = std::fopen(path, "wb");
    if (!out) return false;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info.bmiHeader, sizeof(BITMAPINFOHEADER), 1, out);
    std::fwrite(pixels.get(), 1, stride * height, out);
    return std::fclose(out) == 0;
}

void Checkerboard(HDC dc, int size) {
    HBRUSH light = ::CreateSolidBrush(RGB(230, 230, 235));
    HBRUSH blue = ::CreateSolidBrush(RGB(40, 90, 200));
    for (int y = 0; y < size; y += 15) {
        for (int x = 0; x < size; x += 15) {
            RECT square{x, y, x + 15, y + 15};
            ::FillRect(dc, &square, ((x + y) / 15) % 2 ? light : blue);
        }
    }
    ::DeleteObject(light);
    ::DeleteObject(blue);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: PetFramePreview OUT.bmp\n");
        return 2;
    }
    ::OleInitialize(nullptr);
    HWND owner = ::CreateWindowExA(0, "STATIC", "PetFramePreview", WS_OVERLAPPED, 0, 0, 165, 165,
                                   nullptr, nullptr, nullptr, nullptr);
    ostrelpet::SetWatchedTitle("PetFramePreview");
    auto host = std::make_unique<ostrelpet::FlashHost>();
    if (!host->CreateHost(ostrelpet::kFlashPlayerClass, WS_EX_LAYERED,
                          WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS, owner,
                          ::GetModuleHandleA(nullptr))) {
        std::fprintf(stderr, "no movie player\n");
        return 1;
    }
    // Half a second of the movie.
    const DWORD end = ::GetTickCount() + 500;
    while (static_cast<LONG>(::GetTickCount() - end) < 0) {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
        ::Sleep(5);
    }
    const ostrelpet::FrameBuffer& frame = host->frame();
    HDC screen = ::GetDC(nullptr);
    HDC canvas = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, frame.width(), frame.height());
    HGDIOBJ previous = ::SelectObject(canvas, bitmap);
    Checkerboard(canvas, frame.width());
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::GdiAlphaBlend(canvas, 0, 0, frame.width(), frame.height(), frame.dc(), 0, 0, frame.width(),
                    frame.height(), blend);
    ::SelectObject(canvas, previous);
    const bool saved = SaveBmp(argv[1], canvas, bitmap, frame.width(), frame.height());
    std::printf("frame of a version %ld player, %s alpha: %s\n", host->flashVersion() >> 16,
                host->twoPassAlpha() ? "two-pass" : "the player's own",
                saved ? argv[1] : "not saved");
    ::DeleteObject(bitmap);
    ::DeleteDC(canvas);
    ::ReleaseDC(nullptr, screen);
    host.reset();
    ::OleUninitialize();
    return saved ? 0 : 1;
}
