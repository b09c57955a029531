// FlashHost in this process with the stand-in player: the frames it hands to UpdateLayeredWindow
// (alpha made by the player or by the two renders), its COM answers, and the player let go when
// the host ends or when the player refuses a step.
#include "pet/flash_host_win.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <servprov.h>
#include <wrl/client.h>

#include <algorithm>
#include <memory>
#include <string>

#include "pet/pet_window_win.h"
#include "tests/movie_player/player_setup_win.h"
#include "tests/support/native_server.h"
#include "tests/support/test_folder.h"

namespace ostrelpet {
namespace {

using gatevane::testing::PumpMessagesUntil;

constexpr char kOwnerTitle[] = "FlashHostTestOwner";

class FlashHostTest : public ::testing::Test {
protected:
    FlashHostTest() {
        ::OleInitialize(nullptr);
        // The player, where the build put it, with the movie beside this program.
        const std::string player = gatevane::testing::BuildFolder() + "\\MoviePlayer.dll";
        player_ = ::LoadLibraryA(player.c_str());
        EXPECT_TRUE(movie_player::RegisterPlayer(player));
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

// (Where the frames go on the screen, also after a drag, the whole pet's test sees.)
TEST_F(FlashHostTest, FramesCarryPremultipliedAlphaForEitherPlayerVersion) {
    for (DWORD version : {10u, 8u}) {
        SCOPED_TRACE(version);
        movie_player::ConfigurePlayer(version, "");
        ASSERT_TRUE(Create());
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
        host_.reset();
        EXPECT_FALSE(PlayerAlive()) << "the host let the player go";
    }
}

// Every face answers for one object; only DirectDraw is offered as a service, the same object
// every time.
TEST_F(FlashHostTest, AnswersTheControlsQuestionsAsOneObject) {
    movie_player::ConfigurePlayer(10, "");
    ASSERT_TRUE(Create());
    auto ask = [](IUnknown* object, REFIID iid) {
        IUnknown* face = reinterpret_cast<IUnknown*>(1);
        HRESULT result = object->QueryInterface(iid, reinterpret_cast<void**>(&face));
        if (face) face->Release();  // the host outlives every answer
        return SUCCEEDED(result) ? face : nullptr;
    };
    IUnknown* identity = ask(host_.get(), IID_IUnknown);
    ASSERT_TRUE(identity);
    for (const IID& iid : {IID_IOleClientSite, IID_IOleInPlaceSite, IID_IOleInPlaceSiteEx,
                           IID_IOleInPlaceSiteWindowless, IID_IOleInPlaceFrame, IID_IStorage,
                           kFlashEvents, IID_IServiceProvider}) {
        IUnknown* face = ask(host_.get(), iid);
        ASSERT_TRUE(face);
        EXPECT_EQ(ask(face, IID_IUnknown), identity);
    }
    EXPECT_EQ(ask(host_.get(), IID_IOleContainer), nullptr);

    auto* services = static_cast<IServiceProvider*>(ask(host_.get(), IID_IServiceProvider));
    auto service = [&](REFGUID id) {
        Microsoft::WRL::ComPtr<IUnknown> object;
        services->QueryService(id, IID_IUnknown, reinterpret_cast<void**>(object.GetAddressOf()));
        return object;
    };
    EXPECT_EQ(service(IID_IOleContainer), nullptr);
    // IID_IDirectDraw3 as the service.
    const GUID directDraw = {
        0x618F8AD4, 0x8B7A, 0x11D0, {0x8F, 0xCC, 0x00, 0xC0, 0x4F, 0xD9, 0x18, 0x9D}};
    Microsoft::WRL::ComPtr<IUnknown> first = service(directDraw);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(service(directDraw).Get(), first.Get());
}

// A player that refuses any of the names the host calls is let go whole, and no window stays.
TEST_F(FlashHostTest, APlayerRefusingAStepIsReleasedWithItsWindow) {
    for (const char* member :
         {"FlashVersion", "WMode", "Scale", "BackgroundColor", "EmbedMovie", "LoadMovie", "Play"}) {
        SCOPED_TRACE(member);
        movie_player::ConfigurePlayer(10, member);
        EXPECT_FALSE(Create());
        EXPECT_FALSE(host_->window());
        EXPECT_FALSE(::FindWindowA(kPetWindowClass, nullptr));
        EXPECT_FALSE(PlayerAlive());
        host_.reset();
    }
    movie_player::ConfigurePlayer(10, "");
}

}  // namespace
}  // namespace ostrelpet
