#pragma once
// Containers own their children. CContainerUI gives every child its whole inner area; the
// vertical and horizontal layouts stack children (fixed ones keep their size, the others share the
// rest); the tab layout shows one child at a time.

#include <memory>
#include <vector>

#include "toolkit/control_win.h"

class CContainerUI : public CControlUI {
public:
    ~CContainerUI() override;
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;

    // A container that does not own its children only forgets them when they are removed (or
    // when it is destroyed): the drop box of a drop-down list shows elements its list owns.
    void SetAutoDestroy(bool autoDestroy) { autoDestroy_ = autoDestroy; }

    // Takes the child, which the container frees (see SetAutoDestroy); a child that is refused
    // stays the caller's.
    virtual bool Add(CControlUI* control);
    virtual bool AddAt(CControlUI* control, int index);
    // The same with the hand-over in the type: a refused child is freed here.
    bool Add(std::unique_ptr<CControlUI> control);
    bool AddAt(std::unique_ptr<CControlUI> control, int index);
    // Removes and frees the child (after the event being dispatched, if any).
    virtual bool Remove(CControlUI* control);
    virtual void RemoveAll();
    int GetCount() const { return static_cast<int>(items_.size()); }
    CControlUI* GetItemAt(int index) const;
    int GetItemIndex(CControlUI* control) const;

    int GetChildCount() const override { return GetCount(); }
    CControlUI* GetChildAt(int index) const override { return GetItemAt(index); }

    void SetManager(CPaintManagerUI* manager, CControlUI* parent) override;
    void SetInternVisible(bool visible = true) override;
    void SetVisible(bool visible = true) override;
    void SetPos(RECT rc) override;
    void SetAttribute(const char* name, const char* value) override;
    CControlUI* FindControlAt(POINT pt) override;
    void DoPaint(HDC dc, const RECT& paintRect) override;

protected:
    // The area inside the inset.
    RECT InnerRect(RECT rc) const;
    // Places a floating child at its skin position inside `rc`.
    void PlaceFloat(CControlUI* child, const RECT& rc);
    // Whether the child is shown as far as this container decides (the tab layout hides pages).
    virtual bool ShowsChild(int index) const;

    std::vector<CControlUI*> items_;
    ui::Box inset_;
    int childPadding_ = 0;

private:
    // Frees a removed child, or only makes the window forget it if the child is not ours.
    void Release(CControlUI* control);

    bool autoDestroy_ = true;
};

class CVerticalLayoutUI : public CContainerUI {
public:
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;
    void SetPos(RECT rc) override;
};

class CHorizontalLayoutUI : public CContainerUI {
public:
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;
    void SetPos(RECT rc) override;
};

class CTabLayoutUI : public CContainerUI {
public:
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;
    using CContainerUI::Add;
    using CContainerUI::AddAt;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    void RemoveAll() override;
    int GetCurSel() const { return current_; }
    bool SelectItem(int index);
    void SetAttribute(const char* name, const char* value) override;
    long AccessibleRole() const override;
    CDuiString AccessibleValue() const override;

protected:
    bool ShowsChild(int index) const override;

private:
    void ShowPages();
    int current_ = -1;
    int initial_ = 0;
};
