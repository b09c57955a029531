#include "base/unique_handle_win.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <utility>

#include "base/com_startup_win.h"
#include "base/winsock_win.h"

namespace gatevane {
namespace {

static_assert(!std::is_copy_constructible_v<UniqueWindow> &&
                  !std::is_copy_assignable_v<UniqueWindow> &&
                  !std::is_copy_constructible_v<UniqueSocket> &&
                  !std::is_copy_constructible_v<WindowDc> &&
                  !std::is_copy_constructible_v<SelectedObject> &&
                  !std::is_copy_constructible_v<WinsockStartup> &&
                  !std::is_copy_constructible_v<OleStartup>,
              "owners are never copied");

TEST(UniqueHandleTest, AMovedWindowIsDestroyedOnceByItsLastOwner) {
    UniqueWindow first(::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                         nullptr, nullptr, nullptr));
    ASSERT_TRUE(first);
    HWND window = first.get();
    {
        UniqueWindow second = std::move(first);
        EXPECT_FALSE(first);
        first.reset();
        EXPECT_TRUE(::IsWindow(window)) << "the moved-from owner no longer closes it";
    }
    EXPECT_FALSE(::IsWindow(window));
}

TEST(UniqueHandleTest, SelectedObjectPutsThePreviousObjectBack) {
    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    HGDIOBJ before = ::GetCurrentObject(dc.get(), OBJ_BITMAP);
    UniqueBitmap bitmap(::CreateCompatibleBitmap(dc.get(), 4, 4));
    ASSERT_TRUE(bitmap);
    {
        SelectedObject selected(dc.get(), bitmap.get());
        EXPECT_EQ(bitmap.get(), ::GetCurrentObject(dc.get(), OBJ_BITMAP));
    }
    EXPECT_EQ(before, ::GetCurrentObject(dc.get(), OBJ_BITMAP));
}

}  // namespace
}  // namespace gatevane
