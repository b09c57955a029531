#include "toolkit/deferred_release_win.h"

#include <vector>

#include "toolkit/control_tree_win.h"
#include "toolkit/control_win.h"

namespace deferred_release {
namespace {

int theDispatchDepth = 0;
std::vector<CControlUI*> theDelayedCleanup;

}  // namespace

DispatchScope::DispatchScope() {
    ++theDispatchDepth;
}

DispatchScope::~DispatchScope() {
    if (--theDispatchDepth > 0) return;
    std::vector<CControlUI*> removed;
    removed.swap(theDelayedCleanup);
    for (CControlUI* control : removed) delete control;
}

void Release(CControlUI* control) {
    if (theDispatchDepth > 0) {
        theDelayedCleanup.push_back(control);
    } else {
        delete control;
    }
}

bool IsPending(const CControlUI* control) {
    for (CControlUI* removed : theDelayedCleanup) {
        if (control_tree::IsWithin(control, removed)) return true;
    }
    return false;
}

void DetachFrom(const CPaintManagerUI* manager) {
    for (CControlUI* control : theDelayedCleanup) {
        if (control->GetManager() == manager) control->SetManager(nullptr, nullptr);
    }
}

}  // namespace deferred_release
