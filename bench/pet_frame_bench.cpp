// The pet's frame cost: RenderFrame of a 165 × 165 layered pet with the stand-in player, for a
// player that writes its own alpha (one render) and for a version 8 player (two renders and the
// per-pixel alpha pass), against a plain memcpy of the same 32-bit buffer measured in this run.
// Registers MoviePlayer.dll from beside the program (HKLM of the running prefix).
//
// Usage: pet_frame_bench [frames]     (default 400 frames per mode)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "pet/flash_host_win.h"
#include "pet/pet_window_win.h"
#include "pet/two_pass_alpha.h"

namespace {

constexpr char kClassKey[] = "Software\\Classes\\CLSID\\{D27CDB6E-AE6D-11CF-96B8-444553540000}";

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double TicksToSeconds(long long ticks) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

bool RegisterPlayer(DWORD version) {
    char path[MAX_PATH];
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    folder.erase(folder.find_last_of('\\') + 1);
    HMODULE player = ::LoadLibraryA((folder + "MoviePlayer.dll").c_str());
    auto reg = player ? reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
                            reinterpret_cast<void*>(::GetProcAddress(player, "DllRegisterServer")))
                      : nullptr;
    if (!reg || FAILED(reg())) return false;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kClassKey, 0, KEY_WRITE, &key) != ERROR_SUCCESS) {
        return false;
    }
    ::RegSetValueExA(key, "PlayerVersion", 0, REG_DWORD, reinterpret_cast<BYTE*>(&version),
                     sizeof version);
    ::RegSetValueExA(key, "FailMember", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
    ::RegCloseKey(key);
    return true;
}

struct Figures {
    double frame = 0;         // seconds per RenderFrame
    double alphaPass = 0;     // seconds per frame in the per-pixel pass, inside RenderFrame
    double hotAlphaPass = 0;  // the same pass repeated over one frame's buffers, as memcpy is
    double update = 0;        // seconds per UpdateLayeredWindow of the frame alone (the platform)
};

// UpdateLayeredWindow of the host's last frame, as RenderFrame calls it.
double MeasureUpdate(const ostrelpet::FlashHost& host, int frames) {
    RECT rect{};
    ::GetWindowRect(host.window(), &rect);
    POINT destination{rect.left, rect.top};
    SIZE size{host.frame().width(), host.frame().height()};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const double start = Now();
    for (int i = 0; i < frames; ++i) {
        ::UpdateLayeredWindow(host.window(), nullptr, &destination, &size, host.frame().dc(),
                              &source, 0, &blend, ULW_ALPHA);
    }
    return (Now() - start) / frames;
}

double MeasureHotAlphaPass(const ostrelpet::FlashHost& host) {
    const ostrelpet::FrameBuffer& frame = host.frame();
    std::vector<std::uint8_t> black(frame.bits(), frame.bits() + frame.bytes());
    std::vector<std::uint8_t> white(frame.bytes(), 0xFF);
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        const int passes = 2000;
        const double start = Now();
        for (int i = 0; i < passes; ++i) {
            white[static_cast<std::size_t>(i) % white.size()] = static_cast<std::uint8_t>(i);
            ostrelpet::MergeTwoPassAlpha(black.data(), white.data(), frame.pixels());
        }
        best = std::min(best, (Now() - start) / passes);
    }
    return best;
}

bool MeasureFrames(DWORD version, int frames, Figures* figures) {
    if (!RegisterPlayer(version)) return false;
    HWND owner = ::CreateWindowExA(0, "STATIC", "PetFrameBench", WS_OVERLAPPED, 400, 300, 165, 165,
                                   nullptr, nullptr, nullptr, nullptr);
    ostrelpet::SetWatchedTitle("PetFrameBench");
    auto host = std::make_unique<ostrelpet::FlashHost>();
    if (!host->CreateHost(ostrelpet::kFlashPlayerClass, WS_EX_LAYERED,
                          WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS, owner,
                          ::GetModuleHandleA(nullptr))) {
        return false;
    }
    for (int i = 0; i < 20; ++i) host->RenderFrame(nullptr, nullptr, false);  // warm up
    double alpha = 0;
    const double start = Now();
    for (int i = 0; i < frames; ++i) {
        host->RenderFrame(nullptr, nullptr, false);
        alpha += TicksToSeconds(host->lastAlphaPassTicks());
    }
    figures->frame = (Now() - start) / frames;
    figures->alphaPass = alpha / frames;
    figures->hotAlphaPass = MeasureHotAlphaPass(*host);
    figures->update = MeasureUpdate(*host, frames);
    host.reset();
    ::DestroyWindow(owner);
    return true;
}

// The best of several runs of many copies, per copy.
double MeasureMemcpy() {
    const std::size_t bytes = 165 * 165 * 4;
    std::vector<unsigned char> from(bytes, 0x5A), to(bytes);
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        const int copies = 2000;
        const double start = Now();
        for (int i = 0; i < copies; ++i) {
            from[static_cast<std::size_t>(i) % bytes] = static_cast<unsigned char>(i);
            std::memcpy(to.data(), from.data(), bytes);
        }
        best = std::min(best, (Now() - start) / copies);
    }
    if (to[0] == 0xFF) std::puts("");  // keeps the copies
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 400;
    ::OleInitialize(nullptr);
    Figures single, twoPass;
    if (!MeasureFrames(10, frames, &single) || !MeasureFrames(8, frames, &twoPass)) {
        std::fprintf(stderr, "the stand-in player could not be created\n");
        return 1;
    }
    const double copy = MeasureMemcpy();
    std::printf("memcpy of one 165x165 frame (108,900 bytes):   %8.1f us\n", copy * 1e6);
    std::printf("frame, player writes alpha (1 render):          %8.1f us  (%.0fx memcpy)\n",
                single.frame * 1e6, single.frame / copy);
    std::printf("  of which UpdateLayeredWindow (the platform):  %8.1f us\n", single.update * 1e6);
    std::printf("frame, version 8 (2 renders + alpha pass):      %8.1f us  (%.0fx memcpy)\n",
                twoPass.frame * 1e6, twoPass.frame / copy);
    std::printf("  of which UpdateLayeredWindow (the platform):  %8.1f us\n", twoPass.update * 1e6);
    std::printf(
        "  of which the per-pixel alpha pass, in frame:  %8.1f us  (%.1fx memcpy, %.1f%% of "
        "the frame)\n",
        twoPass.alphaPass * 1e6, twoPass.alphaPass / copy,
        100.0 * twoPass.alphaPass / twoPass.frame);
    std::printf("  the alpha pass alone, repeated like memcpy:   %8.1f us  (%.1fx memcpy)\n",
                twoPass.hotAlphaPass * 1e6, twoPass.hotAlphaPass / copy);
    std::printf("targets: frame under 1000 us: %s; alpha pass within 4x memcpy: %s\n",
                std::max(single.frame, twoPass.frame) < 1e-3 ? "met" : "missed",
                twoPass.hotAlphaPass <= 4 * copy ? "met" : "missed");
    ::OleUninitialize();
    return 0;
}
