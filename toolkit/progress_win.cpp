#include "toolkit/progress_win.h"

#include <oleacc.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

CProgressUI::CProgressUI() {
    textStyle_ = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
}

const char* CProgressUI::GetClass() const {
    return "ProgressUI";
}

void* CProgressUI::GetInterface(const char* name) {
    return std::strcmp(name, "Progress") == 0 ? this : CLabelUI::GetInterface(name);
}

void CProgressUI::SetMinValue(int value) {
    min_ = value;
    Invalidate();
}

void CProgressUI::SetMaxValue(int value) {
    max_ = value;
    Invalidate();
}

void CProgressUI::SetValue(int value) {
    value_ = value;
    Invalidate();
}

void CProgressUI::SetAttribute(const char* attributeName, const char* value) {
    std::string_view name = attributeName;
    if (name == "foreimage") {
        foreImage_ = value;
    } else if (name == "min") {
        SetMinValue(ui::ParseInt(value));
    } else if (name == "max") {
        SetMaxValue(ui::ParseInt(value));
    } else if (name == "value") {
        SetValue(ui::ParseInt(value));
    } else {
        CLabelUI::SetAttribute(attributeName, value);
    }
}

long CProgressUI::AccessibleRole() const {
    return ROLE_SYSTEM_PROGRESSBAR;
}

CDuiString CProgressUI::AccessibleValue() const {
    return std::to_string(value_) + "/" + std::to_string(max_);
}

int CProgressUI::FilledWidth() const {
    // Sizes of files in bytes: the product needs 64 bits.
    long long range = static_cast<long long>(max_) - min_;
    if (range <= 0) return 0;
    long long done = std::clamp<long long>(static_cast<long long>(value_) - min_, 0, range);
    return static_cast<int>(done * (pos_.right - pos_.left) / range);
}

void CProgressUI::PaintStatusImage(HDC dc) {
    int filled = FilledWidth();
    if (filled <= 0 || foreImage_.IsEmpty()) return;
    // The whole fore image is laid over the bar and cut at the reached value, so its ends keep
    // their shape while it fills.
    int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, pos_.left, pos_.top, pos_.left + filled, pos_.bottom);
    DrawImage(dc, foreImage_);
    ::RestoreDC(dc, saved);
}
