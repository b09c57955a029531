// The launcher's start-up, in this order:
//   the toolkit's instance and skin folder -> COM (apartment) -> single instance (mutex "Quarnel",
//   or a running lobby brought to the front)
//   -> a verified launcher left in UpdateDownLoad swapped in by a copy of this one (which is all a
//   process running as QuarnelOld.exe does) -> Winsock 1.1
//   -> QuarnelOld.exe removed -> settings -> the command line decides the update check
//   -> the login window, whose message loop runs until the launcher ends.
// Every early end returns 0 after closing what was opened; the mutex handle is closed, never
// released, so the system releases it when the process ends.
#include "launcher/startup/startup_win.h"

#include <windows.h>
#include <objbase.h>
#include <winsock2.h>

#include <string>

#include "base/com_startup_win.h"
#include "base/unique_handle_win.h"
#include "launcher/common/plain_message_box_win.h"
#include "launcher/login/login_window_win.h"
#include "launcher/startup/launcher_settings_win.h"
#include "launcher/startup/launcher_swap_win.h"
#include "launcher/startup/process_control_win.h"
#include "launcher/startup/program_folder_win.h"
#include "launcher/startup/start_login_switch.h"
#include "toolkit/paint_manager_win.h"

namespace gatevane {
namespace {

constexpr char kInstanceName[] = "Quarnel";      // the launcher's mutex
constexpr char kLobbyWindowClass[] = "Quarnel";  // the lobby's main window

bool AcquireInstance(const UniqueKernelHandle& mutex) {
    if (!mutex) return false;
    DWORD wait = ::WaitForSingleObject(mutex.get(), 0);
    return wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

// Brings a running lobby to the front; false when there is none.
bool ActivateRunningLobby() {
    HWND lobby = ::FindWindowA(kLobbyWindowClass, nullptr);
    if (!lobby) return false;
    if (::IsIconic(lobby)) ::ShowWindow(lobby, SW_RESTORE);
    ::SetActiveWindow(lobby);
    ::BringWindowToTop(lobby);
    ::SetForegroundWindow(lobby);
    return true;
}

bool StartWinsock() {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

// For the operator's debugger: what start-up decided.
void TraceStartupDone() {
    char report[128];
    std::snprintf(report, sizeof report,
                  "Quarnel: start-up done (update check %s, server line %d)\n",
                  theSettings.UpdateOnStart ? "on" : "off", theSettings.selectedLine);
    ::OutputDebugStringA(report);
}

}  // namespace

int RunStartup(HINSTANCE module, const char* commandLine) {
    const std::string arguments = commandLine ? commandLine : "";
    if (RunningAsLauncherSwap()) {
        CompleteLauncherSwap(arguments);
        return 0;
    }
    CPaintManagerUI::SetInstance(module);
    CPaintManagerUI::SetResourcePath(CPaintManagerUI::GetInstancePath() + "TesselRes//Skin");
    ComApartment com;
    if (!com.ok()) return 0;

    UniqueKernelHandle instance(::CreateMutexA(nullptr, FALSE, kInstanceName));
    bool acquired = AcquireInstance(instance);
    if (ActivateRunningLobby() || !acquired) return 0;
    if (BeginLauncherSwap(arguments)) return 0;

    if (!StartWinsock()) {
        ShowPlainMessageBox("Socket 初始化失败!");
        return 0;
    }
    ::DeleteFileA(ProgramFolderPath("/QuarnelOld.exe").c_str());
    theSettings.LoadSettings();
    theSettings.UpdateOnStart = UpdateCheckWanted(arguments);

    TraceStartupDone();
    if (!OpenLoginWindow()) return 0;
    CPaintManagerUI::MessageLoop();
    return 0;
}

}  // namespace gatevane
