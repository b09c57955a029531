#pragma once
// The thread's COM and OLE start-ups, each undone when its guard ends if it succeeded.

#include <windows.h>
#include <objbase.h>
#include <ole2.h>

#include "base/startup_guard.h"

namespace gatevane {

struct ComApartmentTraits {
    static bool Start() { return SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    static void Stop() { ::CoUninitialize(); }
};

struct OleTraits {
    static bool Start() { return SUCCEEDED(::OleInitialize(nullptr)); }
    static void Stop() { ::OleUninitialize(); }
};

// A single-threaded COM apartment for the calling thread.
using ComApartment = StartupGuard<ComApartmentTraits>;
// OLE (COM in a single-threaded apartment, plus drag and drop and the clipboard).
using OleStartup = StartupGuard<OleTraits>;

}  // namespace gatevane
