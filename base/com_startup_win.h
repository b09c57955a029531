#pragma once
// The thread's COM and OLE start-ups, each undone when its object ends if it succeeded.

#include <windows.h>
#include <objbase.h>
#include <ole2.h>

namespace gatevane {

// A single-threaded COM apartment for the calling thread.
class ComApartment {
public:
    ComApartment() : started_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (started_) ::CoUninitialize();
    }

    bool ok() const { return started_; }

private:
    bool started_;
};

// OLE (COM in a single-threaded apartment, plus drag and drop and the clipboard).
class OleStartup {
public:
    OleStartup() : started_(SUCCEEDED(::OleInitialize(nullptr))) {}
    OleStartup(const OleStartup&) = delete;
    OleStartup& operator=(const OleStartup&) = delete;
    ~OleStartup() {
        if (started_) ::OleUninitialize();
    }

    bool ok() const { return started_; }

private:
    bool started_;
};

}  // namespace gatevane
