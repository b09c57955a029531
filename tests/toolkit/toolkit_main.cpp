// The toolkit's windows need COM (images, the browser, accessibility) and the program's instance.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/com_startup_win.h"
#include "toolkit/paint_manager_win.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    gatevane::OleStartup ole;
    CPaintManagerUI::SetInstance(::GetModuleHandleA(nullptr));
    return RUN_ALL_TESTS();
}
