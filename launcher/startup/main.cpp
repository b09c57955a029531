#include <windows.h>

#include "launcher/startup/startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    return gatevane::RunStartup(commandLine);
}
