#pragma once
// The drop box of a drop-down list: a popup window owned by the list's window, with a paint
// manager of its own, that shows the list's elements under the list (above it when the work area
// has no room below). While it is open the elements live in its tree; its list does not own them
// and gives them back when the box closes. The box closes when it loses the activation or the
// focus, on Escape, when its list asks, and with the list's window (which owns it).
//
// The box may be asked to close or change from inside one of its own events (an element's delete
// button empties the list): it never destroys itself there, it posts the close or the refit.

#include "toolkit/container_win.h"
#include "toolkit/paint_manager_win.h"
#include "toolkit/window_wnd_win.h"

class CComboUI;

class CComboDropWindow : public CWindowWnd, public INotifyUI {
public:
    // Opens and activates the box under the combo; null if the window cannot be made. The window
    // object frees itself when the window is gone.
    static CComboDropWindow* Open(CComboUI* combo);

    // An element joined the list at `index` / left it: the box shows it (or not) at once and fits
    // its size to the list afterwards, closing if the list is empty.
    void Insert(CControlUI* element, int index);
    void Forget(CControlUI* element);
    // Closes the box soon; the elements go back to the combo when the window is destroyed.
    void RequestClose();
    // The combo is going away: forget it and its elements, and close.
    void Detach();

    // Notifications of controls inside the elements go to the combo's window, as if the elements
    // were there.
    void Notify(TNotifyUI& msg) override;

protected:
    const char* GetWindowClassName() const override { return "GatevaneComboDrop"; }
    UINT GetClassStyle() const override { return CS_DROPSHADOW; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND window) override;

private:
    explicit CComboDropWindow(CComboUI* combo);
    void BuildList();
    void GiveElementsBack();
    void RequestRefit();
    // Moves the box to fit the list, or closes it when the list has become empty.
    void Refit();

    CComboUI* combo_;
    CPaintManagerUI manager_;
    CVerticalLayoutUI* list_ = nullptr;
    // Set once the window is made: from then on the window's last message frees the object.
    bool ownedByWindow_ = false;
    bool closing_ = false;
    bool refitPosted_ = false;
};
