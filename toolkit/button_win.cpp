#include "toolkit/button_win.h"

#include <oleacc.h>

#include <cstring>
#include <string_view>

#include "toolkit/paint_manager_win.h"

CButtonUI::CButtonUI() {
    textStyle_ = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
}

const char* CButtonUI::GetClass() const {
    return "ButtonUI";
}

void* CButtonUI::GetInterface(const char* name) {
    return std::strcmp(name, "Button") == 0 ? this : CLabelUI::GetInterface(name);
}

void CButtonUI::SetAttribute(const char* attributeName, const char* value) {
    std::string_view name = attributeName;
    if (images_.SetAttribute(name, value)) {
        Invalidate();
    } else if (name == "hottextcolor") {
        hotTextColor_ = ui::ParseColor(value).value_or(0);
    } else if (name == "pushedtextcolor") {
        pushedTextColor_ = ui::ParseColor(value).value_or(0);
    } else {
        CLabelUI::SetAttribute(attributeName, value);
    }
}

void CButtonUI::SetNormalImage(const char* image) {
    images_.normal = image;
    Invalidate();
}

void CButtonUI::SetHotImage(const char* image) {
    images_.hot = image;
    Invalidate();
}

void CButtonUI::SetPushedImage(const char* image) {
    images_.pushed = image;
    Invalidate();
}

void CButtonUI::SetDisabledImage(const char* image) {
    images_.disabled = image;
    Invalidate();
}

bool CButtonUI::IsFocusable() const {
    return true;
}

void CButtonUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
        case UIEVENT_MOUSEENTER:
            hot_ = IsEnabled();
            Invalidate();
            break;
        case UIEVENT_MOUSELEAVE:
            hot_ = false;
            pushed_ = false;
            Invalidate();
            break;
        case UIEVENT_BUTTONDOWN:
        case UIEVENT_DBLCLICK:
            if (IsEnabled() && ::PtInRect(&pos_, event.ptMouse)) {
                pushed_ = true;
                SetFocus();
                Invalidate();
            }
            break;
        case UIEVENT_BUTTONUP:
            if (pushed_) {
                pushed_ = false;
                Invalidate();
                if (::PtInRect(&pos_, event.ptMouse)) Activate();
            }
            break;
        case UIEVENT_KEYDOWN:
            if (event.chKey == VK_SPACE || event.chKey == VK_RETURN) Activate();
            break;
        case UIEVENT_SETCURSOR:
            ::SetCursor(::LoadCursor(nullptr, IsEnabled() ? IDC_HAND : IDC_ARROW));
            break;
        default:
            CLabelUI::DoEvent(event);
    }
}

bool CButtonUI::Activate() {
    if (!CControlUI::Activate()) return false;
    Notify(DUI_MSGTYPE_CLICK);
    return true;
}

long CButtonUI::AccessibleRole() const {
    return ROLE_SYSTEM_PUSHBUTTON;
}

CDuiString CButtonUI::AccessibleDefaultAction() const {
    return "Press";
}

void CButtonUI::DoDefaultAction() {
    if (!manager_ || !IsVisible() || !IsEnabled()) return;
    POINT centre{(pos_.left + pos_.right) / 2, (pos_.top + pos_.bottom) / 2};
    manager_->SendEvent(this, UIEVENT_BUTTONDOWN, centre);
    manager_->SendEvent(this, UIEVENT_BUTTONUP, centre);
}

void CButtonUI::PaintStatusImage(HDC dc) {
    if (!IsEnabled() && DrawImage(dc, images_.disabled)) return;
    if (pushed_ && DrawImage(dc, images_.pushed)) return;
    if (hot_ && DrawImage(dc, images_.hot)) return;
    if (IsFocused() && DrawImage(dc, images_.focused)) return;
    DrawImage(dc, images_.normal);
}

void CButtonUI::PaintText(HDC dc) {
    DWORD color = CurrentTextColor();
    if (IsEnabled() && pushed_ && pushedTextColor_) {
        color = pushedTextColor_;
    } else if (IsEnabled() && hot_ && hotTextColor_) {
        color = hotTextColor_;
    }
    DrawLabelText(dc, GetText(), color);
}
