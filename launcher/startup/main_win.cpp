#include <windows.h>

#include "launcher/startup/startup_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    return gatevane::RunStartup(instance, commandLine);
}
