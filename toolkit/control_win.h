#pragma once
// The base of every control: a rectangle in its window with a name, text, background, border,
// visibility, enabled state and mouse handling. Controls are drawn by their paint manager into
// its back buffer; a control never owns a window, except the few that host a native one.

#include <windows.h>

#include <cstdint>
#include <string>

#include "toolkit/event_source.h"
#include "toolkit/skin_values.h"
#include "toolkit/ui_types_win.h"

class CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    virtual const char* GetClass() const;
    // The control as the named interface ("Control", "Button", ...), or null.
    virtual void* GetInterface(const char* name);

    const CDuiString& GetName() const { return name_; }
    void SetName(const char* name) { name_ = name; }

    CPaintManagerUI* GetManager() const { return manager_; }
    CControlUI* GetParent() const { return parent_; }
    // Called when the control joins (or leaves, with null) a window's tree.
    virtual void SetManager(CPaintManagerUI* manager, CControlUI* parent);

    virtual CDuiString GetText() const;
    virtual void SetText(const char* text);
    const CDuiString& GetToolTip() const { return toolTip_; }
    void SetToolTip(const char* text) { toolTip_ = text; }
    UINT_PTR GetTag() const { return tag_; }
    void SetTag(UINT_PTR tag) { tag_ = tag; }

    // Own visibility, as the skin or code set it.
    bool IsVisible() const { return visible_ && internVisible_; }
    virtual void SetVisible(bool visible = true);
    // Visibility given by the parents (a page of a tab layout that is not shown).
    virtual void SetInternVisible(bool visible = true);
    bool IsOwnVisible() const { return visible_; }
    bool IsEnabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled = true);
    bool IsMouseEnabled() const { return mouseEnabled_; }
    void SetMouseEnabled(bool enabled) { mouseEnabled_ = enabled; }
    bool IsFocused() const;
    virtual void SetFocus();
    // Whether a click or Tab gives the control the keyboard focus.
    virtual bool IsFocusable() const;
    // The native child window that takes the keyboard focus for the control (an edit box's,
    // made and shown if need be), or null for a control drawn by the toolkit.
    virtual HWND PrepareNativeFocus() { return nullptr; }

    const RECT& GetPos() const { return pos_; }
    virtual void SetPos(RECT rc);
    int GetFixedWidth() const { return fixedWidth_; }
    void SetFixedWidth(int cx);
    int GetFixedHeight() const { return fixedHeight_; }
    void SetFixedHeight(int cy);
    bool IsFloat() const { return float_; }
    const ui::Box& GetFloatPos() const { return floatPos_; }
    const ui::Box& GetPadding() const { return padding_; }

    void SetBkColor(DWORD color);
    DWORD GetBkColor() const { return bkColor_; }
    void SetBkImage(const char* image);
    const CDuiString& GetBkImage() const { return bkImage_; }
    void SetBorderColor(DWORD color);
    void SetBorderSize(int size);

    virtual void SetAttribute(const char* name, const char* value);
    void ApplyAttributeList(const char* list);

    // Redraw; NeedUpdate also lays the window out again (size, visibility or text changed).
    void Invalidate();
    void NeedUpdate();
    void NeedParentUpdate();

    // The deepest visible control under the point (window coordinates), or null.
    virtual CControlUI* FindControlAt(POINT pt);
    // Children in drawing order, for walks over the tree.
    virtual int GetChildCount() const { return 0; }
    virtual CControlUI* GetChildAt(int) const { return nullptr; }

    virtual void DoPaint(HDC dc, const RECT& paintRect);
    // Called by the paint manager: the delegates of OnEvent first, then DoEvent.
    void Event(TEventUI& event);
    virtual void DoEvent(TEventUI& event);
    // What a click does (a button raises "click"); false if the control cannot act now.
    virtual bool Activate();

    // What assistive technology is told about the control.
    virtual long AccessibleRole() const;
    virtual DWORD AccessibleState() const;
    virtual CDuiString AccessibleValue() const;
    virtual CDuiString AccessibleDefaultAction() const;
    // The action a mouse user would take on the control: click, select or focus.
    virtual void DoDefaultAction();
    // A key message for a native window the control hosts; true if it took the message.
    virtual bool TranslateAccelerator(MSG*) { return false; }

    CEventSource OnEvent;

protected:
    virtual void PaintBkColor(HDC dc);
    virtual void PaintBkImage(HDC dc);
    virtual void PaintStatusImage(HDC dc);
    virtual void PaintText(HDC dc);
    virtual void PaintBorder(HDC dc);
    // Draws an image string into the control; false if the image cannot be drawn.
    bool DrawImage(HDC dc, const CDuiString& image);
    // Sends a notification of this control to its window.
    void Notify(const char* type, WPARAM wParam = 0, LPARAM lParam = 0);

    CPaintManagerUI* manager_ = nullptr;
    CControlUI* parent_ = nullptr;
    CDuiString name_;
    CDuiString text_;
    CDuiString toolTip_;
    UINT_PTR tag_ = 0;
    RECT pos_{};
    bool visible_ = true;
    bool internVisible_ = true;
    bool enabled_ = true;
    bool mouseEnabled_ = true;
    bool float_ = false;
    ui::Box floatPos_;
    ui::Box padding_;
    int fixedWidth_ = 0;
    int fixedHeight_ = 0;
    DWORD bkColor_ = 0;
    DWORD borderColor_ = 0;
    int borderSize_ = 0;
    ui::Extent borderRound_;
    CDuiString bkImage_;
};
