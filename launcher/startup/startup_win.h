#pragma once

#include <windows.h>

namespace gatevane {

// The launcher's start-up, from COM to the command line; returns the process exit code (always 0).
int RunStartup(HINSTANCE instance, const char* commandLine);

}  // namespace gatevane
