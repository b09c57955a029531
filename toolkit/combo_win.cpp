#include "toolkit/combo_win.h"

#include <oleacc.h>

#include <cstring>
#include <string_view>
#include <vector>

#include "toolkit/combo_drop_window_win.h"
#include "toolkit/list_element_win.h"
#include "toolkit/paint_manager_win.h"
#include "toolkit/render_win.h"

namespace {

CListContainerElementUI* AsElement(CControlUI* control) {
    return control ? static_cast<CListContainerElementUI*>(
                         control->GetInterface("ListContainerElement"))
                   : nullptr;
}

}  // namespace

CComboUI::CComboUI() = default;

CComboUI::~CComboUI() {
    // The box may be running one of its own events now: it lets go of the elements at once and
    // closes itself later.
    if (drop_) drop_->Detach();
}

const char* CComboUI::GetClass() const {
    return "ComboUI";
}

void* CComboUI::GetInterface(const char* name) {
    return std::strcmp(name, "Combo") == 0 ? this : CContainerUI::GetInterface(name);
}

bool CComboUI::Add(CControlUI* control) {
    return AddAt(control, GetCount());
}

bool CComboUI::AddAt(CControlUI* control, int index) {
    CListContainerElementUI* element = AsElement(control);
    if (!element || GetItemIndex(control) >= 0 || !CContainerUI::AddAt(control, index)) {
        return false;
    }
    element->SetOwner(this);
    if (current_ >= index) ++current_;
    if (drop_) drop_->Insert(element, index);
    Invalidate();
    return true;
}

bool CComboUI::Remove(CControlUI* control) {
    int index = GetItemIndex(control);
    if (index < 0) return false;
    items_.erase(items_.begin() + index);
    if (current_ == index) {
        current_ = -1;
    } else if (current_ > index) {
        --current_;
    }
    FreeElement(control);
    Invalidate();
    return true;
}

void CComboUI::RemoveAll() {
    std::vector<CControlUI*> removed;
    removed.swap(items_);
    current_ = -1;
    for (CControlUI* element : removed) FreeElement(element);
    Invalidate();
}

void CComboUI::FreeElement(CControlUI* element) {
    AsElement(element)->SetOwner(nullptr);
    if (drop_) drop_->Forget(element);
    if (manager_) manager_->ReapObjects(element);
    // The window showing the element now (the box's, while open) is the one whose event may be
    // running inside it.
    if (CPaintManagerUI* shownBy = element->GetManager()) {
        shownBy->DeleteControlLater(element);
    } else {
        delete element;
    }
}

bool CComboUI::SelectItem(int index) {
    if (index < -1 || index >= GetCount()) return false;
    int old = current_;
    current_ = index;
    for (int changed : {old, index}) {
        if (CControlUI* element = GetItemAt(changed)) element->Invalidate();
    }
    Invalidate();
    Notify(DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(index), static_cast<LPARAM>(old));
    return true;
}

void CComboUI::OpenDrop() {
    if (drop_ || GetCount() == 0 || !IsVisible() || !IsEnabled()) return;
    drop_ = CComboDropWindow::Open(this);
    Invalidate();
}

void CComboUI::CloseDrop() {
    if (drop_) drop_->RequestClose();
}

void CComboUI::OnDropClosed() {
    drop_ = nullptr;
    for (CControlUI* item : items_) {
        AsElement(item)->SetHot(false);
        item->SetManager(manager_, this);
        item->SetInternVisible(false);
    }
    Invalidate();
}

void CComboUI::SetAttribute(const char* attributeName, const char* value) {
    std::string_view name = attributeName;
    auto color = [value](DWORD fallback) { return ui::ParseColor(value).value_or(fallback); };
    if (name == "dropboxsize") {
        ui::Extent size = ui::ParseExtent(value);
        dropBoxSize_ = SIZE{size.cx, size.cy};
    } else if (name == "itembkcolor") {
        itemBkColor_ = color(itemBkColor_);
    } else if (name == "itemhotbkcolor") {
        itemHotBkColor_ = color(itemHotBkColor_);
    } else if (name == "itemselectedbkcolor") {
        itemSelectedBkColor_ = color(itemSelectedBkColor_);
    } else if (images_.SetAttribute(name, value)) {
        // Redrawn below, like every attribute of the combo's own.
    } else if (name == "textcolor") {
        textColor_ = color(textColor_);
    } else if (name == "font") {
        font_ = ui::ParseInt(value);
    } else if (name == "textpadding") {
        textPadding_ = ui::ParseBox(value);
    } else {
        CContainerUI::SetAttribute(attributeName, value);
        return;
    }
    Invalidate();
}

void CComboUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
    // While the box is open the elements belong to its tree.
    if (drop_) {
        CControlUI::SetManager(manager, parent);
    } else {
        CContainerUI::SetManager(manager, parent);
    }
}

void CComboUI::SetPos(RECT rc) {
    // The elements are laid out in the box, never in the combo's window.
    CControlUI::SetPos(rc);
}

void CComboUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    if (!IsVisible()) CloseDrop();
}

void CComboUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    if (!IsVisible()) CloseDrop();
}

bool CComboUI::ShowsChild(int) const {
    return false;
}

// The closed combo is one control in its window: its elements are neither hit nor drawn there.
CControlUI* CComboUI::FindControlAt(POINT pt) {
    return CControlUI::FindControlAt(pt);
}

void CComboUI::DoPaint(HDC dc, const RECT& paintRect) {
    CControlUI::DoPaint(dc, paintRect);
}

void CComboUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
        case UIEVENT_MOUSEENTER:
            hot_ = IsEnabled();
            Invalidate();
            break;
        case UIEVENT_MOUSELEAVE:
            hot_ = false;
            pressed_ = false;
            Invalidate();
            break;
        case UIEVENT_BUTTONDOWN:
            if (IsEnabled() && ::PtInRect(&pos_, event.ptMouse)) {
                pressed_ = true;
                pressedWhileDropped_ = IsDropped();
                Invalidate();
            }
            break;
        case UIEVENT_BUTTONUP:
            if (!pressed_) break;
            pressed_ = false;
            Invalidate();
            if (!::PtInRect(&pos_, event.ptMouse)) break;
            if (pressedWhileDropped_) {
                CloseDrop();
            } else {
                Activate();
            }
            break;
        case UIEVENT_KEYDOWN:
            if (event.wParam == VK_SPACE || event.wParam == VK_RETURN || event.wParam == VK_F4) {
                Activate();
            }
            break;
        default:
            CContainerUI::DoEvent(event);
    }
}

bool CComboUI::IsFocusable() const {
    return true;
}

bool CComboUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (IsDropped()) {
        CloseDrop();
    } else {
        OpenDrop();
    }
    return true;
}

CDuiString CComboUI::GetText() const {
    CControlUI* selected = GetItemAt(current_);
    return selected ? selected->GetText() : text_;
}

long CComboUI::AccessibleRole() const {
    return ROLE_SYSTEM_COMBOBOX;
}

CDuiString CComboUI::AccessibleValue() const {
    return GetText();
}

CDuiString CComboUI::AccessibleDefaultAction() const {
    return IsDropped() ? "Close" : "Open";
}

void CComboUI::DoDefaultAction() {
    Activate();
}

void CComboUI::PaintStatusImage(HDC dc) {
    if (!IsEnabled() && DrawImage(dc, images_.disabled)) return;
    if ((pressed_ || IsDropped()) && DrawImage(dc, images_.pushed)) return;
    if (hot_ && DrawImage(dc, images_.hot)) return;
    DrawImage(dc, images_.normal);
}

void CComboUI::PaintText(HDC dc) {
    RECT rc{pos_.left + textPadding_.left, pos_.top + textPadding_.top,
            pos_.right - textPadding_.right, pos_.bottom - textPadding_.bottom};
    render::DrawText(dc, rc, GetText(), manager_->GetFont(font_), textColor_,
                     DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
}
