#pragma once
// An option: a check box that toggles, or, with a group name, a radio button that unselects the
// other options of its group in the same window.

#include "toolkit/button_win.h"

class COptionUI : public CButtonUI {
public:
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;
    void SetAttribute(const char* name, const char* value) override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent) override;
    const CDuiString& GetGroup() const { return group_; }
    void SetGroup(const char* group) { group_ = group; }
    bool IsSelected() const { return selected_; }
    // Changes the selection without a "click" (code, not the user, chose it).
    void Selected(bool selected);
    bool Activate() override;
    long AccessibleRole() const override;
    DWORD AccessibleState() const override;
    CDuiString AccessibleDefaultAction() const override;

protected:
    void PaintStatusImage(HDC dc) override;
    void PaintText(HDC dc) override;

private:
    void UnselectGroupMembers();

    CDuiString group_;
    bool selected_ = false;
    CDuiString selectedImage_;
    CDuiString selectedHotImage_;
    DWORD selectedTextColor_ = 0;
};
