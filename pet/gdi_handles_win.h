#pragma once
// Move-only owners of the GDI objects the pet draws with, and the window's device context that is
// taken and given back around a drawing.

#include <windows.h>

#include "base/unique_handle_win.h"

namespace ostrelpet {

struct MemoryDcTraits {
    using Type = HDC;
    static Type Empty() { return nullptr; }
    static void Close(Type dc) { ::DeleteDC(dc); }
};

struct GdiObjectTraits {
    using Type = HGDIOBJ;
    static Type Empty() { return nullptr; }
    static void Close(Type object) { ::DeleteObject(object); }
};

struct WindowTraits {
    using Type = HWND;
    static Type Empty() { return nullptr; }
    static void Close(Type window) { ::DestroyWindow(window); }
};

using UniqueMemoryDc = gatevane::UniqueHandle<MemoryDcTraits>;
using UniqueGdiObject = gatevane::UniqueHandle<GdiObjectTraits>;
using UniqueWindow = gatevane::UniqueHandle<WindowTraits>;

// GetDC ... ReleaseDC of one window.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

}  // namespace ostrelpet
