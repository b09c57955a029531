#pragma once
// Skin images decoded once per window through the platform's imaging codecs (PNG with per-pixel
// alpha, JPEG, BMP) into premultiplied 32-bit bitmaps ready for AlphaBlend.

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "base/unique_handle_win.h"

struct LoadedImage {
    gatevane::UniqueBitmap bitmap;
    int width = 0;
    int height = 0;
};

class ImageCache {
public:
    ImageCache() = default;
    ImageCache(const ImageCache&) = delete;
    ImageCache& operator=(const ImageCache&) = delete;

    // The image of a skin file name (looked up in the resource path, then the program folder),
    // with the mask colour made transparent; null if it cannot be found or decoded.
    const LoadedImage* Get(const std::string& file, std::optional<std::uint32_t> mask);

private:
    std::map<std::string, LoadedImage> images_;
};

// The full path of a skin file name, or empty if no such file exists.
std::string ResolveSkinFile(const std::string& file);
