#include "base/unique_handle_win.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <utility>

#include "base/com_startup_win.h"
#include "base/winsock_win.h"

namespace gatevane {
namespace {

template <typename... Owners>
constexpr bool kNoneCopyable = (!std::is_copy_constructible_v<Owners> && ...) &&
                               (!std::is_copy_assignable_v<Owners> && ...);
static_assert(
    kNoneCopyable<UniqueWindow, UniqueSocket, WindowDc, SelectedObject, WinsockStartup, OleStartup>,
    "owners are never copied");

TEST(UniqueHandleTest, AMovedWindowIsDestroyedOnceAndASelectedObjectPutsThePreviousOneBack) {
    UniqueWindow first(::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                         nullptr, nullptr));
    ASSERT_TRUE(first);
    const HWND window = first.get();
    {
        UniqueWindow second = std::move(first);
        first.reset();
        EXPECT_TRUE(::IsWindow(window)) << "the moved-from owner no longer closes it";
    }
    EXPECT_FALSE(::IsWindow(window));

    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    const HGDIOBJ before = ::GetCurrentObject(dc.get(), OBJ_BITMAP);
    UniqueBitmap bitmap(::CreateCompatibleBitmap(dc.get(), 4, 4));
    ASSERT_TRUE(dc && bitmap);
    {
        SelectedObject selected(dc.get(), bitmap.get());
        EXPECT_EQ(bitmap.get(), ::GetCurrentObject(dc.get(), OBJ_BITMAP));
    }
    EXPECT_EQ(before, ::GetCurrentObject(dc.get(), OBJ_BITMAP));
}

}  // namespace
}  // namespace gatevane
