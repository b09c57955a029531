#pragma once
// The process-wide part of the toolkit: every live paint manager, known by its window, and the
// message loop that gives each queued message to the filters of its window first.

#include <windows.h>

class CPaintManagerUI;

namespace message_loop {

void Register(CPaintManagerUI* manager);
void Unregister(CPaintManagerUI* manager);
// The manager of a live window, or null (the window is gone, or is not a toolkit window).
CPaintManagerUI* ManagerOf(HWND window);
// The manager whose filters see the message: that of the window it was sent to, or of the
// toolkit window that holds the native child it was sent to (an edit box); null if none.
CPaintManagerUI* ManagerForMessage(const MSG* msg);
// Runs until the quit message.
void Run();

}  // namespace message_loop
