// The login windows' tests run as the launcher does: OLE, the toolkit's instance and the skin
// folder beside the program.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "toolkit/paint_manager_win.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::OleInitialize(nullptr);
    CPaintManagerUI::SetInstance(::GetModuleHandleA(nullptr));
    CPaintManagerUI::SetResourcePath(CPaintManagerUI::GetInstancePath() + "TesselRes//Skin");
    int result = RUN_ALL_TESTS();
    ::OleUninitialize();
    return result;
}
