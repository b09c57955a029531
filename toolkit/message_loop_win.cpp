#include "toolkit/message_loop_win.h"

#include <algorithm>
#include <vector>

#include "toolkit/paint_manager_win.h"

namespace message_loop {
namespace {

std::vector<CPaintManagerUI*> theManagers;

}  // namespace

void Register(CPaintManagerUI* manager) {
    theManagers.push_back(manager);
}

void Unregister(CPaintManagerUI* manager) {
    theManagers.erase(std::remove(theManagers.begin(), theManagers.end(), manager),
                      theManagers.end());
}

CPaintManagerUI* ManagerOf(HWND window) {
    if (!window || !::IsWindow(window)) return nullptr;
    // Newest first: a manager that outlived its window may still remember a handle that the
    // system has since given to another window.
    for (auto it = theManagers.rbegin(); it != theManagers.rend(); ++it) {
        if ((*it)->GetPaintWindow() == window) return *it;
    }
    return nullptr;
}

CPaintManagerUI* ManagerForMessage(const MSG* msg) {
    for (HWND window = msg->hwnd; window; window = ::GetParent(window)) {
        for (CPaintManagerUI* manager : theManagers) {
            if (manager->GetPaintWindow() == window) return manager;
        }
        if (!(::GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD)) break;
    }
    return nullptr;
}

void Run() {
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (CPaintManagerUI::TranslateMessage(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

}  // namespace message_loop
