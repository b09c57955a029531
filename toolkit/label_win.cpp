#include "toolkit/label_win.h"

#include <oleacc.h>

#include <cstring>
#include <string_view>

#include "toolkit/paint_manager_win.h"
#include "toolkit/render_win.h"

CLabelUI::CLabelUI() = default;

const char* CLabelUI::GetClass() const {
    return "LabelUI";
}

void* CLabelUI::GetInterface(const char* name) {
    return std::strcmp(name, "Label") == 0 ? this : CControlUI::GetInterface(name);
}

void CLabelUI::SetAttribute(const char* attributeName, const char* attributeValue) {
    std::string_view name = attributeName;
    std::string_view value = attributeValue;
    if (name == "textcolor") {
        SetTextColor(ui::ParseColor(value).value_or(textColor_));
    } else if (name == "disabledtextcolor") {
        disabledTextColor_ = ui::ParseColor(value).value_or(disabledTextColor_);
    } else if (name == "font") {
        SetFont(ui::ParseInt(value));
    } else if (name == "align") {
        textStyle_ &= ~(DT_LEFT | DT_CENTER | DT_RIGHT);
        textStyle_ |= value == "center" ? DT_CENTER : value == "right" ? DT_RIGHT : DT_LEFT;
    } else if (name == "valign") {
        textStyle_ &= ~(DT_TOP | DT_VCENTER | DT_BOTTOM);
        textStyle_ |= value == "top" ? DT_TOP : value == "bottom" ? DT_BOTTOM : DT_VCENTER;
    } else if (name == "textpadding") {
        textPadding_ = ui::ParseBox(value);
    } else if (name == "endellipsis") {
        textStyle_ =
            ui::ParseBool(value) ? textStyle_ | DT_END_ELLIPSIS : textStyle_ & ~DT_END_ELLIPSIS;
    } else {
        CControlUI::SetAttribute(attributeName, attributeValue);
    }
}

void CLabelUI::SetTextColor(DWORD color) {
    textColor_ = color;
    Invalidate();
}

void CLabelUI::SetFont(int id) {
    font_ = id;
    Invalidate();
}

long CLabelUI::AccessibleRole() const {
    return ROLE_SYSTEM_STATICTEXT;
}

CDuiString CLabelUI::AccessibleValue() const {
    return GetText();
}

DWORD CLabelUI::CurrentTextColor() const {
    return IsEnabled() ? textColor_ : disabledTextColor_;
}

HFONT CLabelUI::Font() const {
    return manager_ ? manager_->GetFont(font_)
                    : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

void CLabelUI::PaintText(HDC dc) {
    DrawLabelText(dc, GetText(), CurrentTextColor());
}

void CLabelUI::DrawLabelText(HDC dc, const char* text, DWORD color) {
    RECT rc{pos_.left + textPadding_.left, pos_.top + textPadding_.top,
            pos_.right - textPadding_.right, pos_.bottom - textPadding_.bottom};
    render::DrawText(dc, rc, text, Font(), color, textStyle_);
}

CTextUI::CTextUI() {
    textStyle_ = DT_LEFT | DT_TOP | DT_WORDBREAK;
}

const char* CTextUI::GetClass() const {
    return "TextUI";
}

void* CTextUI::GetInterface(const char* name) {
    return std::strcmp(name, "Text") == 0 ? this : CLabelUI::GetInterface(name);
}
