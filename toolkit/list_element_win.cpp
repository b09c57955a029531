#include "toolkit/list_element_win.h"

#include <oleacc.h>

#include <cstring>
#include <string>

#include "toolkit/combo_win.h"
#include "toolkit/render_win.h"

namespace {

// The texts of the shown descendants in drawing order. A child with a text of its own speaks
// for its subtree, so nothing is said twice.
void AppendDescendantTexts(const CControlUI& control, std::string& joined) {
    for (int i = 0; i < control.GetChildCount(); ++i) {
        const CControlUI* child = control.GetChildAt(i);
        if (!child->IsOwnVisible()) continue;
        CDuiString text = child->GetText();
        if (text.IsEmpty()) {
            AppendDescendantTexts(*child, joined);
            continue;
        }
        if (!joined.empty()) joined += ' ';
        joined += text.str();
    }
}

}  // namespace

const char* CListContainerElementUI::GetClass() const {
    return "ListContainerElementUI";
}

void* CListContainerElementUI::GetInterface(const char* name) {
    return std::strcmp(name, "ListContainerElement") == 0 ? this : CContainerUI::GetInterface(name);
}

int CListContainerElementUI::GetIndex() const {
    if (!owner_) return -1;
    for (int i = 0; i < owner_->GetCount(); ++i) {
        if (owner_->GetItemAt(i) == this) return i;
    }
    return -1;
}

bool CListContainerElementUI::IsSelected() const {
    int index = GetIndex();
    return index >= 0 && owner_->GetCurSel() == index;
}

bool CListContainerElementUI::Select() {
    int index = GetIndex();
    if (index < 0 || !IsEnabled()) return false;
    // The box closes by a posted message, so asking first is safe and leaves the selection's
    // notification free to change the list.
    owner_->CloseDrop();
    return owner_->SelectItem(index);
}

void CListContainerElementUI::SetHot(bool hot) {
    if (hot_ == hot) return;
    hot_ = hot;
    Invalidate();
}

void CListContainerElementUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
        case UIEVENT_MOUSEENTER:
            SetHot(IsEnabled());
            break;
        case UIEVENT_MOUSELEAVE:
            SetHot(false);
            break;
        case UIEVENT_BUTTONUP:
            if (::PtInRect(&pos_, event.ptMouse)) Select();
            break;
        default:
            CContainerUI::DoEvent(event);
    }
}

CDuiString CListContainerElementUI::GetText() const {
    if (!text_.IsEmpty()) return text_;
    std::string joined;
    AppendDescendantTexts(*this, joined);
    return joined;
}

long CListContainerElementUI::AccessibleRole() const {
    return ROLE_SYSTEM_LISTITEM;
}

DWORD CListContainerElementUI::AccessibleState() const {
    DWORD state = CContainerUI::AccessibleState() | STATE_SYSTEM_SELECTABLE;
    if (IsSelected()) state |= STATE_SYSTEM_SELECTED;
    return state;
}

CDuiString CListContainerElementUI::AccessibleDefaultAction() const {
    return "Select";
}

void CListContainerElementUI::DoDefaultAction() {
    Select();
}

void CListContainerElementUI::PaintBkColor(HDC dc) {
    DWORD color = 0;
    if (owner_) {
        // The pointer's place shows over the selection: it is what a click would pick.
        color = hot_           ? owner_->GetItemHotBkColor()
                : IsSelected() ? owner_->GetItemSelectedBkColor()
                               : owner_->GetItemBkColor();
    }
    if (color) {
        render::FillColor(dc, pos_, color, borderRound_);
    } else {
        CContainerUI::PaintBkColor(dc);
    }
}
