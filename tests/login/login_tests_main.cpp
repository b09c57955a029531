// The login windows' tests run as the launcher does: OLE, the toolkit's instance and the skin
// folder beside the program.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/com_startup_win.h"
#include "toolkit/paint_manager_win.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    gatevane::OleStartup ole;
    CPaintManagerUI::SetInstance(::GetModuleHandleA(nullptr));
    CPaintManagerUI::SetResourcePath(CPaintManagerUI::GetInstancePath() + "TesselRes//Skin");
    return RUN_ALL_TESTS();
}
