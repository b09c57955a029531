// FlashHost in this process with the stand-in player: the frames it hands to UpdateLayeredWindow
// (alpha made by the player or by the two renders), the window following a move, its COM answers,
// and the player let go when the host ends or when the player refuses a step.
#include "pet/flash_host_win.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <servprov.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "pet/pet_window_win.h"
#include "tests/support/native_server.h"
#include "tests/support/test_folder.h"

namespace ostrelpet {
namespace {

using gatevane::testing::PumpMessagesUntil;

constexpr char kClassKey[] = "Software\\Classes\\CLSID\\{D27CDB6E-AE6D-11CF-96B8-444553540000}";
constexpr char kOwnerTitle[] = "FlashHostTestOwner";

class FlashHostTest : public ::testing::Test {
protected:
    FlashHostTest() {
        ::OleInitialize(nullptr);
        // The player, where the build put it, with the movie beside this program.
        player_ = ::LoadLibraryA((gatevane::testing::BuildFolder() + "\\MoviePlayer.dll").c_str());
        auto reg = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
            reinterpret_cast<void*>(::GetProcAddress(player_, "DllRegisterServer")));
        if (reg) reg();
        SetWatchedTitle(kOwnerTitle);
        owner_ = ::CreateWindowExA(0, "STATIC", kOwnerTitle, WS_OVERLAPPED, 300, 200, 165, 165,
                                   nullptr, nullptr, nullptr, nullptr);
    }
    ~FlashHostTest() override {
        host_.reset();
        ::DestroyWindow(owner_);
        ::FreeLibrary(player_);
        ::OleUninitialize();
    }

    void SetPlayer(DWORD version, const char* failMember) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kClassKey, 0, KEY_WRITE, &key), 0);
        ::RegSetValueExA(key, "PlayerVersion", 0, REG_DWORD, reinterpret_cast<BYTE*>(&version),
                         sizeof version);
        ::RegSetValueExA(key, "FailMember", 0, REG_SZ, reinterpret_cast<const BYTE*>(failMember),
                         static_cast<DWORD>(std::strlen(failMember) + 1));
        ::RegCloseKey(key);
    }

    bool Create() {
        host_ = std::make_unique<FlashHost>();
        return host_->CreateHost(kFlashPlayerClass, WS_EX_LAYERED,
                                 WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS, owner_,
                                 ::GetModuleHandleA(nullptr));
    }

    // Whether the player DLL still has objects alive.
    bool PlayerAlive() const {
        auto canUnload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
            reinterpret_cast<void*>(::GetProcAddress(player_, "DllCanUnloadNow")));
        return canUnload && canUnload() != S_OK;
    }

    std::uint8_t AlphaAt(int x, int y) const {
        const FrameBuffer& frame = host_->frame();
        return frame.bits()[(static_cast<std::size_t>(y) * frame.width() + x) * 4 + 3];
    }

    HMODULE player_ = nullptr;
    HWND owner_ = nullptr;
    std::unique_ptr<FlashHost> host_;
};

TEST_F(FlashHostTest, FramesCarryPremultipliedAlphaToWhereTheWindowIsForEitherPlayerVersion) {
    for (DWORD version : {10u, 8u}) {
        SCOPED_TRACE(version);
        SetPlayer(version, "");
        ASSERT_TRUE(Create());
        EXPECT_EQ(host_->twoPassAlpha(), version == 8);
        EXPECT_EQ(host_->flashVersion() >> 16, static_cast<long>(version));
        EXPECT_FALSE(::IsWindowVisible(owner_));
        ASSERT_TRUE(
            PumpMessagesUntil(3000, [&] { return host_->frame() && AlphaAt(82, 95) == 255; }));

        const FrameBuffer& frame = host_->frame();
        ASSERT_EQ(frame.width(), 165);
        ASSERT_EQ(frame.height(), 165);
        int partial = 0;
        for (std::size_t i = 0; i < frame.pixels(); ++i) {
            const std::uint8_t* pixel = frame.bits() + i * 4;
            const int alpha = pixel[3];
            if (alpha > 0 && alpha < 255) ++partial;
            // Premultiplied: no colour above its alpha (two renders may round by one).
            ASSERT_LE(std::max({pixel[0], pixel[1], pixel[2]}), alpha + 1) << "pixel " << i;
        }
        EXPECT_GT(partial, 300) << "no soft edges";
        EXPECT_EQ(AlphaAt(0, 0), 0);
        EXPECT_EQ(AlphaAt(164, 0), 0);
        // The creature's shadow covers 35 %: 89 of 255, both ways of finding alpha.
        EXPECT_NEAR(AlphaAt(82, 150), 89, 2);
        EXPECT_EQ(host_->lastAlphaPassTicks() > 0, version == 8);

        // The frame goes to the window's own place: a moved pet stays where it was put.
        RECT before{};
        ::GetWindowRect(host_->window(), &before);
        ::SetWindowPos(host_->window(), nullptr, before.left - 50, before.top + 30, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        PumpMessagesUntil(400, [] { return false; });  // several frames
        RECT after{};
        ::GetWindowRect(host_->window(), &after);
        EXPECT_EQ(after.left, before.left - 50);
        EXPECT_EQ(after.top, before.top + 30);
        EXPECT_EQ(AlphaAt(82, 95), 255);
        host_.reset();
        EXPECT_FALSE(PlayerAlive()) << "the host let the player go";
    }
}

TEST_F(FlashHostTest, AnswersTheControlsQuestionsAsOneObject) {
    SetPlayer(10, "");
    ASSERT_TRUE(Create());
    IUnknown* identity = nullptr;
    ASSERT_EQ(host_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    const IID faces[] = {IID_IOleClientSite,    IID_IOleInPlaceSite,
                         IID_IOleInPlaceSiteEx, IID_IOleInPlaceSiteWindowless,
                         IID_IOleInPlaceFrame,  IID_IStorage,
                         kFlashEvents,          IID_IServiceProvider};
    for (const IID& iid : faces) {
        IUnknown* face = nullptr;
        ASSERT_EQ(host_->QueryInterface(iid, reinterpret_cast<void**>(&face)), S_OK);
        IUnknown* back = nullptr;
        ASSERT_EQ(face->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&back)), S_OK);
        EXPECT_EQ(back, identity);
        back->Release();
        face->Release();
    }
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(host_->QueryInterface(IID_IOleContainer, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);

    IServiceProvider* services = nullptr;
    ASSERT_EQ(host_->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(&services)),
              S_OK);
    IUnknown* object = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(
        services->QueryService(IID_IOleContainer, IID_IUnknown, reinterpret_cast<void**>(&object)),
        E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    // IID_IDirectDraw3 as the service: DirectDraw, the same object every time.
    const GUID directDraw = {
        0x618F8AD4, 0x8B7A, 0x11D0, {0x8F, 0xCC, 0x00, 0xC0, 0x4F, 0xD9, 0x18, 0x9D}};
    IUnknown* first = nullptr;
    IUnknown* second = nullptr;
    ASSERT_EQ(services->QueryService(directDraw, IID_IUnknown, reinterpret_cast<void**>(&first)),
              S_OK);
    ASSERT_EQ(services->QueryService(directDraw, IID_IUnknown, reinterpret_cast<void**>(&second)),
              S_OK);
    EXPECT_EQ(first, second);
    first->Release();
    second->Release();
    services->Release();
    identity->Release();
}

// A player that refuses any of the names the host calls is let go whole, and no window stays.
TEST_F(FlashHostTest, APlayerRefusingAStepIsReleasedWithItsWindow) {
    for (const char* member :
         {"FlashVersion", "WMode", "Scale", "BackgroundColor", "EmbedMovie", "LoadMovie", "Play"}) {
        SCOPED_TRACE(member);
        SetPlayer(10, member);
        EXPECT_FALSE(Create());
        EXPECT_FALSE(host_->window());
        EXPECT_FALSE(::FindWindowA(kPetWindowClass, nullptr));
        EXPECT_FALSE(PlayerAlive());
        host_.reset();
    }
    SetPlayer(10, "");
}

}  // namespace
}  // namespace ostrelpet
