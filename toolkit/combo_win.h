#pragma once
// A drop-down list: the closed control shows the selected element's text and an arrow picture;
// clicking it opens a drop box (its own popup window) listing the elements, where a click selects
// one. Selecting raises "itemselect".

#include "toolkit/container_win.h"
#include "toolkit/state_images.h"

class CComboDropWindow;
class CListContainerElementUI;

class CComboUI : public CContainerUI {
public:
    CComboUI();
    ~CComboUI() override;
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;

    // Elements must be list elements; anything else is refused (false).
    using CContainerUI::Add;
    using CContainerUI::AddAt;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    void RemoveAll() override;

    int GetCurSel() const { return current_; }
    // Selects the element (-1: none) and raises "itemselect" (also for the same element again).
    bool SelectItem(int index);
    bool IsDropped() const { return drop_ != nullptr; }
    void OpenDrop();
    void CloseDrop();
    // The drop box's window closed; called by the drop box itself.
    void OnDropClosed();

    SIZE GetDropBoxSize() const { return dropBoxSize_; }
    DWORD GetItemBkColor() const { return itemBkColor_; }
    DWORD GetItemHotBkColor() const { return itemHotBkColor_; }
    DWORD GetItemSelectedBkColor() const { return itemSelectedBkColor_; }

    void SetAttribute(const char* name, const char* value) override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent) override;
    void SetPos(RECT rc) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    CControlUI* FindControlAt(POINT pt) override;
    void DoPaint(HDC dc, const RECT& paintRect) override;
    void DoEvent(TEventUI& event) override;
    bool IsFocusable() const override;
    bool Activate() override;
    CDuiString GetText() const override;
    long AccessibleRole() const override;
    CDuiString AccessibleValue() const override;
    CDuiString AccessibleDefaultAction() const override;
    void DoDefaultAction() override;

protected:
    bool ShowsChild(int index) const override;

private:
    void PaintStatusImage(HDC dc) override;
    void PaintText(HDC dc) override;
    // An element left the list: out of the drop box at once, freed after the event being
    // dispatched (it may be the element whose event removed it).
    void FreeElement(CControlUI* element);

    int current_ = -1;
    CComboDropWindow* drop_ = nullptr;
    SIZE dropBoxSize_{0, 150};
    DWORD itemBkColor_ = 0xFFFFFFFF;
    DWORD itemHotBkColor_ = 0xFFE8F1FB;
    DWORD itemSelectedBkColor_ = 0xFFCFE3F8;
    StateImages images_;
    DWORD textColor_ = 0xFF333333;
    int font_ = -1;
    ui::Box textPadding_;
    bool hot_ = false;
    bool pressed_ = false;
    // A press that came while the box was open only closes it: the box is already closing.
    bool pressedWhileDropped_ = false;
};
