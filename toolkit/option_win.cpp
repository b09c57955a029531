#include "toolkit/option_win.h"

#include <oleacc.h>

#include <cstring>
#include <string_view>

#include "toolkit/paint_manager_win.h"

const char* COptionUI::GetClass() const {
    return "OptionUI";
}

void* COptionUI::GetInterface(const char* name) {
    return std::strcmp(name, "Option") == 0 ? this : CButtonUI::GetInterface(name);
}

void COptionUI::SetAttribute(const char* attributeName, const char* value) {
    std::string_view name = attributeName;
    if (name == "group") {
        SetGroup(value);
    } else if (name == "selected") {
        Selected(ui::ParseBool(value));
    } else if (name == "selectedimage") {
        selectedImage_ = value;
    } else if (name == "selectedhotimage") {
        selectedHotImage_ = value;
    } else if (name == "selectedtextcolor") {
        selectedTextColor_ = ui::ParseColor(value).value_or(0);
    } else {
        CButtonUI::SetAttribute(attributeName, value);
    }
}

void COptionUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
    CButtonUI::SetManager(manager, parent);
    // A group keeps one selected option even when its options were built selected one by one.
    if (selected_) UnselectGroupMembers();
}

void COptionUI::Selected(bool selected) {
    if (selected_ == selected) return;
    selected_ = selected;
    if (selected_) UnselectGroupMembers();
    Invalidate();
}

void COptionUI::UnselectGroupMembers() {
    if (group_.IsEmpty() || !manager_ || !manager_->GetRoot()) return;
    std::vector<CControlUI*> pending{manager_->GetRoot()};
    while (!pending.empty()) {
        CControlUI* control = pending.back();
        pending.pop_back();
        for (int i = 0; i < control->GetChildCount(); ++i)
            pending.push_back(control->GetChildAt(i));
        auto* option = static_cast<COptionUI*>(control->GetInterface("Option"));
        // While a tree is attached, options not yet attached keep their choice: the one attached
        // last wins, as the one written last in the skin should.
        if (option && option != this && option->GetManager() == manager_ &&
            option->group_ == group_ && option->selected_) {
            option->selected_ = false;
            option->Invalidate();
        }
    }
}

bool COptionUI::Activate() {
    if (!CControlUI::Activate()) return false;
    // A radio button stays selected when clicked again; a check box toggles.
    Selected(group_.IsEmpty() ? !selected_ : true);
    Notify(DUI_MSGTYPE_CLICK);
    Notify(DUI_MSGTYPE_SELECTCHANGED);
    return true;
}

long COptionUI::AccessibleRole() const {
    return group_.IsEmpty() ? ROLE_SYSTEM_CHECKBUTTON : ROLE_SYSTEM_RADIOBUTTON;
}

DWORD COptionUI::AccessibleState() const {
    return CButtonUI::AccessibleState() | (selected_ ? STATE_SYSTEM_CHECKED : 0);
}

CDuiString COptionUI::AccessibleDefaultAction() const {
    return selected_ && group_.IsEmpty() ? "Uncheck" : "Check";
}

void COptionUI::PaintStatusImage(HDC dc) {
    if (selected_) {
        if (IsHot() && DrawImage(dc, selectedHotImage_)) return;
        if (DrawImage(dc, selectedImage_)) return;
    }
    CButtonUI::PaintStatusImage(dc);
}

void COptionUI::PaintText(HDC dc) {
    if (selected_ && selectedTextColor_ && IsEnabled()) {
        DrawLabelText(dc, GetText(), selectedTextColor_);
    } else {
        CButtonUI::PaintText(dc);
    }
}
