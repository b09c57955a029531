#pragma once
// Controls removed while an event is being dispatched (in any window of the thread) are freed
// when the outermost dispatch ends: the control whose event removed them may still be running.

class CControlUI;
class CPaintManagerUI;

namespace deferred_release {

// Marks one dispatch of an event or notification; the outermost one frees what was removed.
class DispatchScope {
public:
    DispatchScope();
    ~DispatchScope();
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;
};

// Frees the control now, or when the outermost dispatch ends if one is running.
void Release(CControlUI* control);
// Whether the control, or a control it lies in, waits to be freed.
bool IsPending(const CControlUI* control);
// The window's manager goes first: its controls still waiting must not call back into it.
void DetachFrom(const CPaintManagerUI* manager);

}  // namespace deferred_release
