#include "toolkit/control_win.h"

#include <oleacc.h>

#include <cstring>

#include "toolkit/paint_manager_win.h"
#include "toolkit/render_win.h"

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (manager_) manager_->ReapObjects(this);
}

const char* CControlUI::GetClass() const {
    return "ControlUI";
}

void* CControlUI::GetInterface(const char* name) {
    return std::strcmp(name, "Control") == 0 ? this : nullptr;
}

void CControlUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
    if (manager_ && manager_ != manager) manager_->ReapObjects(this);
    manager_ = manager;
    parent_ = parent;
}

CDuiString CControlUI::GetText() const {
    return text_;
}

void CControlUI::SetText(const char* text) {
    if (text_ == text) return;
    text_ = text;
    Invalidate();
}

void CControlUI::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    if (!IsVisible() && manager_ && IsFocused()) manager_->SetFocus(nullptr);
    NeedParentUpdate();
}

void CControlUI::SetInternVisible(bool visible) {
    internVisible_ = visible;
    if (!IsVisible() && manager_ && IsFocused()) manager_->SetFocus(nullptr);
}

void CControlUI::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Invalidate();
}

bool CControlUI::IsFocused() const {
    return manager_ && manager_->GetFocus() == this;
}

void CControlUI::SetFocus() {
    if (manager_) manager_->SetFocus(this);
}

bool CControlUI::IsFocusable() const {
    return false;
}

void CControlUI::SetPos(RECT rc) {
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;
    Invalidate();
    pos_ = rc;
    Invalidate();
}

void CControlUI::SetFixedWidth(int cx) {
    fixedWidth_ = cx < 0 ? 0 : cx;
    NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int cy) {
    fixedHeight_ = cy < 0 ? 0 : cy;
    NeedParentUpdate();
}

void CControlUI::SetBkColor(DWORD color) {
    bkColor_ = color;
    Invalidate();
}

void CControlUI::SetBkImage(const char* image) {
    bkImage_ = image;
    Invalidate();
}

void CControlUI::SetBorderColor(DWORD color) {
    borderColor_ = color;
    Invalidate();
}

void CControlUI::SetBorderSize(int size) {
    borderSize_ = size < 0 ? 0 : size;
    Invalidate();
}

void CControlUI::SetAttribute(const char* attributeName, const char* value) {
    std::string_view name = attributeName;
    auto color = [&] { return ui::ParseColor(value).value_or(0); };
    if (name == "name") {
        SetName(value);
    } else if (name == "pos") {
        ui::Box box = ui::ParseBox(value);
        floatPos_ = box;
        SetFixedWidth(box.Width());
        SetFixedHeight(box.Height());
    } else if (name == "float") {
        float_ = ui::ParseBool(value);
    } else if (name == "width") {
        SetFixedWidth(ui::ParseInt(value));
    } else if (name == "height") {
        SetFixedHeight(ui::ParseInt(value));
    } else if (name == "padding") {
        padding_ = ui::ParseBox(value);
    } else if (name == "bkcolor") {
        SetBkColor(color());
    } else if (name == "bordercolor") {
        SetBorderColor(color());
    } else if (name == "bordersize") {
        SetBorderSize(ui::ParseInt(value));
    } else if (name == "borderround") {
        borderRound_ = ui::ParseExtent(value);
    } else if (name == "bkimage") {
        SetBkImage(value);
    } else if (name == "text") {
        SetText(value);
    } else if (name == "tooltip") {
        SetToolTip(value);
    } else if (name == "visible") {
        SetVisible(ui::ParseBool(value));
    } else if (name == "enabled") {
        SetEnabled(ui::ParseBool(value));
    } else if (name == "mouse") {
        SetMouseEnabled(ui::ParseBool(value));
    }
}

void CControlUI::ApplyAttributeList(const char* list) {
    for (const auto& [name, value] : ui::ParseAttributeList(list)) {
        SetAttribute(name.c_str(), value.c_str());
    }
}

void CControlUI::Invalidate() {
    if (manager_ && IsVisible()) manager_->Invalidate(pos_);
}

void CControlUI::NeedUpdate() {
    if (manager_) manager_->NeedUpdate();
}

void CControlUI::NeedParentUpdate() {
    NeedUpdate();
}

CControlUI* CControlUI::FindControlAt(POINT pt) {
    return IsVisible() && mouseEnabled_ && ::PtInRect(&pos_, pt) ? this : nullptr;
}

void CControlUI::DoPaint(HDC dc, const RECT& paintRect) {
    RECT overlap;
    if (!::IntersectRect(&overlap, &paintRect, &pos_)) return;
    PaintBkColor(dc);
    PaintBkImage(dc);
    PaintStatusImage(dc);
    PaintText(dc);
    PaintBorder(dc);
}

void CControlUI::Event(TEventUI& event) {
    if (OnEvent(&event)) DoEvent(event);
}

void CControlUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_SETCURSOR) {
        ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
    } else if (parent_) {
        // Mouse events a control does not use go to its container (a list element's children
        // let the element see them).
        if (event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND &&
            event.Type != UIEVENT_MOUSEENTER && event.Type != UIEVENT_MOUSELEAVE) {
            parent_->DoEvent(event);
        }
    }
}

bool CControlUI::Activate() {
    return IsVisible() && IsEnabled();
}

long CControlUI::AccessibleRole() const {
    return GetChildCount() > 0 ? ROLE_SYSTEM_GROUPING : ROLE_SYSTEM_GRAPHIC;
}

DWORD CControlUI::AccessibleState() const {
    DWORD state = 0;
    if (!IsVisible()) state |= STATE_SYSTEM_INVISIBLE;
    if (!IsEnabled()) state |= STATE_SYSTEM_UNAVAILABLE;
    if (IsFocusable()) state |= STATE_SYSTEM_FOCUSABLE;
    if (IsFocused()) state |= STATE_SYSTEM_FOCUSED;
    return state;
}

CDuiString CControlUI::AccessibleValue() const {
    return {};
}

CDuiString CControlUI::AccessibleDefaultAction() const {
    return IsFocusable() ? "Focus" : "";
}

void CControlUI::DoDefaultAction() {
    if (IsFocusable() && IsEnabled()) SetFocus();
}

void CControlUI::PaintBkColor(HDC dc) {
    if (bkColor_) render::FillColor(dc, pos_, bkColor_, borderRound_);
}

void CControlUI::PaintBkImage(HDC dc) {
    DrawImage(dc, bkImage_);
}

void CControlUI::PaintStatusImage(HDC) {}

void CControlUI::PaintText(HDC) {}

void CControlUI::PaintBorder(HDC dc) {
    if (borderSize_ > 0) render::DrawFrame(dc, pos_, borderColor_, borderSize_, borderRound_);
}

bool CControlUI::DrawImage(HDC dc, const CDuiString& image) {
    if (image.IsEmpty() || !manager_) return false;
    ui::ImageSpec picture = ui::ParseImageSpec(image.str());
    const LoadedImage* loaded = manager_->Images().Get(picture.file, picture.mask);
    if (!loaded) return false;
    render::DrawImage(dc, pos_, *loaded, picture);
    return true;
}

void CControlUI::Notify(const char* type, WPARAM wParam, LPARAM lParam) {
    if (manager_) manager_->SendNotify(this, type, wParam, lParam);
}
