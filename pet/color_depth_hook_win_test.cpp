// The colour-depth hook in this process under Wine: 32 bits per pixel for everyone while it is
// installed, every other answer the platform's, safe while other threads call the function, and
// the function's code exactly as before once removed.
#include "pet/color_depth_hook_win.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace ostrelpet {
namespace {

constexpr int kOtherIndexes[] = {HORZRES, VERTRES,    LOGPIXELSX, LOGPIXELSY,
                                 PLANES,  RASTERCAPS, TECHNOLOGY, NUMCOLORS};

std::vector<int> OtherAnswers(HDC dc) {
    std::vector<int> answers;
    for (int index : kOtherIndexes) answers.push_back(::GetDeviceCaps(dc, index));
    return answers;
}

std::vector<unsigned char> FirstBytes() {
    const auto* code = reinterpret_cast<const unsigned char*>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("gdi32.dll"), "GetDeviceCaps")));
    return {code, code + 32};
}

TEST(ColorDepthHook, AnswersThirtyTwoBitsAndLeavesEverythingElseToThePlatform) {
    HDC screen = ::GetDC(nullptr);
    // Without a device context the platform answers 0: only the hook can make that 32.
    const int realWithoutDc = ::GetDeviceCaps(nullptr, BITSPIXEL);
    ASSERT_NE(realWithoutDc, 32);
    const std::vector<int> real = OtherAnswers(screen);
    const std::vector<unsigned char> code = FirstBytes();

    ASSERT_EQ(ColorDepthHook::Install(), HookResult::Installed);
    EXPECT_TRUE(ColorDepthHook::installed());
    EXPECT_EQ(::GetDeviceCaps(nullptr, BITSPIXEL), 32);
    EXPECT_EQ(::GetDeviceCaps(screen, BITSPIXEL), 32);
    EXPECT_EQ(OtherAnswers(screen), real);
    EXPECT_EQ(::GetDeviceCaps(screen, BITSPIXEL), 32) << "the hook is back after another index";
    EXPECT_EQ(ColorDepthHook::Install(), HookResult::Installed) << "installing twice is harmless";

    // Other threads call the function all along while this one makes it call the platform (and
    // so patches and unpatches): no thread ever runs into a half-written jump, and every
    // answer for another index is the platform's.
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::atomic<int> calls{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&] {
            HDC dc = ::GetDC(nullptr);
            while (!stop) {
                if (::GetDeviceCaps(dc, HORZRES) != real[0]) ++wrong;
                const int bits = ::GetDeviceCaps(nullptr, BITSPIXEL);
                if (bits != 32 && bits != realWithoutDc) ++wrong;
                ++calls;
            }
            ::ReleaseDC(nullptr, dc);
        });
    }
    // For a second and a half, however many calls that makes.
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 1500) {
        EXPECT_EQ(::GetDeviceCaps(screen, VERTRES), real[1]);
    }
    stop = true;
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(calls, 0);

    ColorDepthHook::Remove();
    EXPECT_FALSE(ColorDepthHook::installed());
    EXPECT_EQ(::GetDeviceCaps(nullptr, BITSPIXEL), realWithoutDc);
    EXPECT_EQ(FirstBytes(), code) << "the function's code is as it was";
    ::ReleaseDC(nullptr, screen);
}

}  // namespace
}  // namespace ostrelpet
