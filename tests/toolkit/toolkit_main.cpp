// The toolkit's windows need COM (images, the browser, accessibility) and the program's instance.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "toolkit/paint_manager_win.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::OleInitialize(nullptr);
    CPaintManagerUI::SetInstance(::GetModuleHandleA(nullptr));
    int result = RUN_ALL_TESTS();
    ::OleUninitialize();
    return result;
}
