#include "tools/skin_preview/window_capture_win.h"

#include <wincodec.h>
#include <wrl/client.h>

#include "base/unique_handle_win.h"
#include "toolkit/ansi_wide_win.h"

using Microsoft::WRL::ComPtr;

namespace {

bool WritePng(HBITMAP bitmap, const std::string& path) {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmap> source;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    return SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_PPV_ARGS(&factory))) &&
           SUCCEEDED(
               factory->CreateBitmapFromHBITMAP(bitmap, nullptr, WICBitmapIgnoreAlpha, &source)) &&
           SUCCEEDED(factory->CreateStream(&stream)) &&
           SUCCEEDED(stream->InitializeFromFilename(ui::WidenAnsi(path).c_str(), GENERIC_WRITE)) &&
           SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
           SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
           SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) &&
           SUCCEEDED(frame->Initialize(nullptr)) &&
           SUCCEEDED(frame->WriteSource(source.Get(), nullptr)) && SUCCEEDED(frame->Commit()) &&
           SUCCEEDED(encoder->Commit());
}

}  // namespace

bool SaveWindowPicture(HWND window, const std::string& pngPath, std::string& error) {
    RECT rc;
    if (!::GetWindowRect(window, &rc)) {
        error = "the window has no area";
        return false;
    }
    return SaveScreenPicture(rc, pngPath, error);
}

bool SaveScreenPicture(const RECT& rc, const std::string& pngPath, std::string& error) {
    if (::IsRectEmpty(&rc)) {
        error = "the window has no area";
        return false;
    }
    int w = rc.right - rc.left;
    int h = rc.bottom - rc.top;
    gatevane::UniqueBitmap bitmap;
    bool copied;
    {
        gatevane::WindowDc screen(nullptr);
        gatevane::UniqueMemoryDc memory(::CreateCompatibleDC(screen.get()));
        bitmap.reset(::CreateCompatibleBitmap(screen.get(), w, h));
        gatevane::SelectedObject selected(memory.get(), bitmap.get());
        copied =
            ::BitBlt(memory.get(), 0, 0, w, h, screen.get(), rc.left, rc.top, SRCCOPY) != FALSE;
    }
    bool written = copied && WritePng(bitmap.get(), pngPath);
    if (!written) error = copied ? "cannot write " + pngPath : "cannot read the screen";
    return written;
}
