#pragma once
// Where the toolkit finds its module and the skin files, for the whole process.

#include <windows.h>

#include "toolkit/ui_string.h"

namespace resource_paths {

void SetInstance(HINSTANCE instance);
HINSTANCE Instance();
// The executable's folder with a trailing separator.
CDuiString InstancePath();
// A trailing separator is added when missing.
void SetResourcePath(const char* path);
const CDuiString& ResourcePath();

}  // namespace resource_paths
