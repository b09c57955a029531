#include "toolkit/image_cache_win.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <cstring>
#include <utility>
#include <vector>

#include "toolkit/ansi_wide_win.h"
#include "toolkit/paint_manager_win.h"
#include "toolkit/render_win.h"

using Microsoft::WRL::ComPtr;

namespace {

bool FileExists(const std::string& path) {
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Premultiplied BGRA pixels, top row first.
bool DecodeImage(const std::string& path, UINT& width, UINT& height, std::vector<BYTE>& pixels) {
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(&factory)))) {
        return false;
    }
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICBitmapSource> converted;
    if (FAILED(factory->CreateDecoderFromFilename(ui::WidenAnsi(path).c_str(), nullptr,
                                                  GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                  &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) ||
        FAILED(::WICConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, frame.Get(), &converted)) ||
        FAILED(converted->GetSize(&width, &height)) || width == 0 || height == 0 || width > 8192 ||
        height > 8192) {
        return false;
    }
    pixels.resize(static_cast<size_t>(width) * height * 4);
    return SUCCEEDED(
        converted->CopyPixels(nullptr, width * 4, static_cast<UINT>(pixels.size()), pixels.data()));
}

void ApplyMask(std::vector<BYTE>& pixels, std::uint32_t mask) {
    for (size_t i = 0; i + 3 < pixels.size(); i += 4) {
        std::uint32_t rgb = pixels[i] | (pixels[i + 1] << 8) | (pixels[i + 2] << 16);
        if (rgb == (mask & 0xFFFFFFu)) std::memset(&pixels[i], 0, 4);
    }
}

HBITMAP MakeBitmap(UINT width, UINT height, const std::vector<BYTE>& pixels) {
    void* bits = nullptr;
    HBITMAP bitmap =
        render::CreateArgbBitmap(static_cast<int>(width), static_cast<int>(height), &bits);
    if (bitmap) std::memcpy(bits, pixels.data(), pixels.size());
    return bitmap;
}

}  // namespace

std::string ResolveSkinFile(const std::string& file) {
    if (file.empty()) return {};
    std::string candidates[] = {CPaintManagerUI::GetResourcePath().str() + file,
                                CPaintManagerUI::GetInstancePath().str() + file, file};
    for (const std::string& path : candidates) {
        if (FileExists(path)) return path;
    }
    return {};
}

const LoadedImage* ImageCache::Get(const std::string& file, std::optional<std::uint32_t> mask) {
    std::string key = file + (mask ? "|" + std::to_string(*mask) : std::string());
    auto found = images_.find(key);
    if (found != images_.end()) return &found->second;

    std::string path = ResolveSkinFile(file);
    UINT width = 0;
    UINT height = 0;
    std::vector<BYTE> pixels;
    if (path.empty() || !DecodeImage(path, width, height, pixels)) return nullptr;
    if (mask) ApplyMask(pixels, *mask);
    gatevane::UniqueBitmap bitmap(MakeBitmap(width, height, pixels));
    if (!bitmap) return nullptr;
    LoadedImage& image = images_[key];
    image = LoadedImage{std::move(bitmap), static_cast<int>(width), static_cast<int>(height)};
    return &image;
}
