#include "toolkit/container_win.h"

#include <oleacc.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "toolkit/line_layout.h"
#include "toolkit/paint_manager_win.h"

CContainerUI::~CContainerUI() {
    if (!autoDestroy_) return;
    for (CControlUI* item : items_) delete item;
}

const char* CContainerUI::GetClass() const {
    return "ContainerUI";
}

void* CContainerUI::GetInterface(const char* name) {
    return std::strcmp(name, "Container") == 0 ? this : CControlUI::GetInterface(name);
}

bool CContainerUI::Add(CControlUI* control) {
    return AddAt(control, GetCount());
}

bool CContainerUI::AddAt(CControlUI* control, int index) {
    if (!control || index < 0 || index > GetCount()) return false;
    items_.insert(items_.begin() + index, control);
    control->SetManager(manager_, this);
    control->SetInternVisible(IsVisible() && ShowsChild(index));
    NeedUpdate();
    return true;
}

bool CContainerUI::Add(std::unique_ptr<CControlUI> control) {
    return AddAt(std::move(control), GetCount());
}

bool CContainerUI::AddAt(std::unique_ptr<CControlUI> control, int index) {
    if (!AddAt(control.get(), index)) return false;
    control.release();
    return true;
}

bool CContainerUI::Remove(CControlUI* control) {
    auto found = std::find(items_.begin(), items_.end(), control);
    if (found == items_.end()) return false;
    items_.erase(found);
    Release(control);
    NeedUpdate();
    return true;
}

void CContainerUI::RemoveAll() {
    std::vector<CControlUI*> removed;
    removed.swap(items_);
    for (CControlUI* item : removed) Release(item);
    NeedUpdate();
}

void CContainerUI::Release(CControlUI* control) {
    if (!autoDestroy_) {
        if (manager_) manager_->ReapObjects(control);
    } else if (manager_) {
        manager_->DeleteControlLater(control);
    } else {
        delete control;
    }
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    return index >= 0 && index < GetCount() ? items_[index] : nullptr;
}

int CContainerUI::GetItemIndex(CControlUI* control) const {
    auto found = std::find(items_.begin(), items_.end(), control);
    return found == items_.end() ? -1 : static_cast<int>(found - items_.begin());
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
    CControlUI::SetManager(manager, parent);
    for (CControlUI* item : items_) item->SetManager(manager, this);
}

void CContainerUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    for (int i = 0; i < GetCount(); ++i) items_[i]->SetInternVisible(IsVisible() && ShowsChild(i));
}

void CContainerUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    for (int i = 0; i < GetCount(); ++i) items_[i]->SetInternVisible(IsVisible() && ShowsChild(i));
}

bool CContainerUI::ShowsChild(int) const {
    return true;
}

RECT CContainerUI::InnerRect(RECT rc) const {
    return RECT{rc.left + inset_.left, rc.top + inset_.top, rc.right - inset_.right,
                rc.bottom - inset_.bottom};
}

void CContainerUI::PlaceFloat(CControlUI* child, const RECT& rc) {
    const ui::Box& at = child->GetFloatPos();
    child->SetPos(RECT{rc.left + at.left, rc.top + at.top, rc.left + at.right, rc.top + at.bottom});
}

void CContainerUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    RECT inner = InnerRect(pos_);
    for (CControlUI* item : items_) {
        if (!item->IsOwnVisible()) continue;
        if (item->IsFloat()) {
            PlaceFloat(item, pos_);
            continue;
        }
        const ui::Box& margin = item->GetPadding();
        RECT child{inner.left + margin.left, inner.top + margin.top, inner.right - margin.right,
                   inner.bottom - margin.bottom};
        if (item->GetFixedWidth() > 0) child.right = child.left + item->GetFixedWidth();
        if (item->GetFixedHeight() > 0) child.bottom = child.top + item->GetFixedHeight();
        item->SetPos(child);
    }
}

void CContainerUI::SetAttribute(const char* name, const char* value) {
    if (std::strcmp(name, "inset") == 0) {
        inset_ = ui::ParseBox(value);
    } else if (std::strcmp(name, "childpadding") == 0) {
        childPadding_ = ui::ParseInt(value);
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

CControlUI* CContainerUI::FindControlAt(POINT pt) {
    if (!IsVisible() || !::PtInRect(&pos_, pt)) return nullptr;
    // Later children are drawn on top, so they are hit first.
    for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
        if (CControlUI* hit = (*it)->FindControlAt(pt)) return hit;
    }
    return mouseEnabled_ ? this : nullptr;
}

void CContainerUI::DoPaint(HDC dc, const RECT& paintRect) {
    RECT overlap;
    if (!::IntersectRect(&overlap, &paintRect, &pos_)) return;
    CControlUI::DoPaint(dc, paintRect);
    for (CControlUI* item : items_) {
        if (item->IsVisible()) item->DoPaint(dc, paintRect);
    }
}

namespace {

// Lays out the non-floating children of a stacking layout along one axis.
template <typename Span, typename Cross>
void StackChildren(const std::vector<CControlUI*>& items, int start, int length, int gap,
                   Span spanOf, Cross place) {
    std::vector<CControlUI*> stacked;
    std::vector<ui::LineItem> line;
    for (CControlUI* item : items) {
        if (!item->IsOwnVisible() || item->IsFloat()) continue;
        stacked.push_back(item);
        line.push_back(spanOf(item));
    }
    std::vector<ui::LineSpan> spans = ui::ArrangeLine(start, length, line, gap);
    for (size_t i = 0; i < stacked.size(); ++i) place(stacked[i], spans[i]);
}

}  // namespace

const char* CVerticalLayoutUI::GetClass() const {
    return "VerticalLayoutUI";
}

void* CVerticalLayoutUI::GetInterface(const char* name) {
    return std::strcmp(name, "VerticalLayout") == 0 ? this : CContainerUI::GetInterface(name);
}

void CVerticalLayoutUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    RECT inner = InnerRect(pos_);
    StackChildren(
        items_, inner.top, inner.bottom - inner.top, childPadding_,
        [](CControlUI* item) {
            return ui::LineItem{item->GetFixedHeight(), item->GetPadding().top,
                                item->GetPadding().bottom};
        },
        [&](CControlUI* item, const ui::LineSpan& span) {
            LONG left = inner.left + item->GetPadding().left;
            LONG right = item->GetFixedWidth() > 0 ? left + item->GetFixedWidth()
                                                   : inner.right - item->GetPadding().right;
            item->SetPos(RECT{left, span.start, right, span.end});
        });
    for (CControlUI* item : items_) {
        if (item->IsOwnVisible() && item->IsFloat()) PlaceFloat(item, pos_);
    }
}

const char* CHorizontalLayoutUI::GetClass() const {
    return "HorizontalLayoutUI";
}

void* CHorizontalLayoutUI::GetInterface(const char* name) {
    return std::strcmp(name, "HorizontalLayout") == 0 ? this : CContainerUI::GetInterface(name);
}

void CHorizontalLayoutUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    RECT inner = InnerRect(pos_);
    StackChildren(
        items_, inner.left, inner.right - inner.left, childPadding_,
        [](CControlUI* item) {
            return ui::LineItem{item->GetFixedWidth(), item->GetPadding().left,
                                item->GetPadding().right};
        },
        [&](CControlUI* item, const ui::LineSpan& span) {
            LONG top = inner.top + item->GetPadding().top;
            LONG bottom = item->GetFixedHeight() > 0 ? top + item->GetFixedHeight()
                                                     : inner.bottom - item->GetPadding().bottom;
            item->SetPos(RECT{span.start, top, span.end, bottom});
        });
    for (CControlUI* item : items_) {
        if (item->IsOwnVisible() && item->IsFloat()) PlaceFloat(item, pos_);
    }
}

const char* CTabLayoutUI::GetClass() const {
    return "TabLayoutUI";
}

void* CTabLayoutUI::GetInterface(const char* name) {
    return std::strcmp(name, "TabLayout") == 0 ? this : CContainerUI::GetInterface(name);
}

bool CTabLayoutUI::Add(CControlUI* control) {
    return AddAt(control, GetCount());
}

bool CTabLayoutUI::AddAt(CControlUI* control, int index) {
    if (!CContainerUI::AddAt(control, index)) return false;
    // A page inserted before the shown one keeps that one shown.
    if (current_ >= 0 && index <= current_) ++current_;
    if (current_ < 0 && GetCount() > initial_) current_ = initial_;
    ShowPages();
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* control) {
    int index = GetItemIndex(control);
    if (!CContainerUI::Remove(control)) return false;
    if (index < current_ || current_ >= GetCount()) --current_;
    ShowPages();
    return true;
}

void CTabLayoutUI::RemoveAll() {
    CContainerUI::RemoveAll();
    current_ = -1;
}

bool CTabLayoutUI::SelectItem(int index) {
    if (index < 0 || index >= GetCount()) return false;
    if (index == current_) return true;
    current_ = index;
    ShowPages();
    NeedUpdate();
    Invalidate();
    return true;
}

bool CTabLayoutUI::ShowsChild(int index) const {
    return index == current_;
}

void CTabLayoutUI::ShowPages() {
    for (int i = 0; i < GetCount(); ++i) items_[i]->SetInternVisible(IsVisible() && ShowsChild(i));
}

void CTabLayoutUI::SetAttribute(const char* name, const char* value) {
    if (std::strcmp(name, "selectedid") == 0) {
        initial_ = std::max(0, ui::ParseInt(value));
        if (initial_ < GetCount()) SelectItem(initial_);
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

long CTabLayoutUI::AccessibleRole() const {
    return ROLE_SYSTEM_PAGETABLIST;
}

CDuiString CTabLayoutUI::AccessibleValue() const {
    return std::to_string(current_);
}
