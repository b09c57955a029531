#pragma once
// An element of a drop-down list: a container (its children are built in code) that its list
// selects when it is clicked and paints in the list's item colours.

#include "toolkit/container_win.h"

class CComboUI;

class CListContainerElementUI : public CContainerUI {
public:
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;

    CComboUI* GetOwner() const { return owner_; }
    void SetOwner(CComboUI* owner) { owner_ = owner; }
    int GetIndex() const;
    bool IsSelected() const;
    // Selects the element in its list (raising "itemselect"), as a click does.
    bool Select();
    bool IsHot() const { return hot_; }
    void SetHot(bool hot);

    void DoEvent(TEventUI& event) override;
    CDuiString GetText() const override;
    long AccessibleRole() const override;
    DWORD AccessibleState() const override;
    CDuiString AccessibleDefaultAction() const override;
    void DoDefaultAction() override;

protected:
    void PaintBkColor(HDC dc) override;

private:
    CComboUI* owner_ = nullptr;
    bool hot_ = false;
};
