#include "toolkit/verify_win.h"

#include <oleacc.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "base/unique_handle_win.h"
#include "toolkit/paint_manager_win.h"
#include "toolkit/render_win.h"

namespace {

using gatevane::SelectedObject;
using gatevane::UniqueFont;
using gatevane::UniquePen;

constexpr char kAlphabet[] = "23456789ABCDEFGHJKMNPQRSTUVWXYZabcdefghjkmnpqrstuvwxyz";
constexpr int kCodeLength = 4;
constexpr DWORD kInkColors[] = {0xFF1F4E8C, 0xFF8C1F3A, 0xFF1F7A4D, 0xFF6A3D9A, 0xFFB85A00};

std::mt19937& Generator() {
    static std::mt19937 generator{std::random_device{}()};
    return generator;
}

}  // namespace

CVerifyUI::CVerifyUI() {
    bkColor_ = 0xFFF3F6FA;
    Refresh();
}

const char* CVerifyUI::GetClass() const {
    return "VerifyUI";
}

void* CVerifyUI::GetInterface(const char* name) {
    return std::strcmp(name, "Verify") == 0 ? this : CLabelUI::GetInterface(name);
}

void CVerifyUI::Refresh() {
    std::uniform_int_distribution<int> pick(0, sizeof(kAlphabet) - 2);
    std::string code;
    for (int i = 0; i < kCodeLength; ++i) code += kAlphabet[pick(Generator())];
    code_ = code;
    seed_ = Generator()();
    Invalidate();
}

bool CVerifyUI::Activate() {
    if (!CLabelUI::Activate()) return false;
    Refresh();
    Notify(DUI_MSGTYPE_CLICK);
    return true;
}

void CVerifyUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_BUTTONUP && ::PtInRect(&pos_, event.ptMouse)) {
        Activate();
    } else if (event.Type == UIEVENT_SETCURSOR) {
        ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
    } else {
        CLabelUI::DoEvent(event);
    }
}

long CVerifyUI::AccessibleRole() const {
    return ROLE_SYSTEM_GRAPHIC;
}

CDuiString CVerifyUI::AccessibleValue() const {
    return code_;
}

CDuiString CVerifyUI::AccessibleDefaultAction() const {
    return "Refresh";
}

void CVerifyUI::DoDefaultAction() {
    Activate();
}

void CVerifyUI::PaintText(HDC dc) {
    // The same code always looks the same until it is refreshed.
    std::mt19937 shape(seed_);
    int w = pos_.right - pos_.left;
    int h = pos_.bottom - pos_.top;
    if (w <= 0 || h <= 0) return;
    for (int line = 0; line < 4; ++line) {
        UniquePen pen(
            ::CreatePen(PS_SOLID, 1, render::ToColorRef(kInkColors[shape() % 5] & 0x7FFFFFFF)));
        SelectedObject selected(dc, pen.get());
        ::MoveToEx(dc, pos_.left + static_cast<int>(shape() % w),
                   pos_.top + static_cast<int>(shape() % h), nullptr);
        ::LineTo(dc, pos_.left + static_cast<int>(shape() % w),
                 pos_.top + static_cast<int>(shape() % h));
    }
    LOGFONTA base{};
    ::GetObjectA(Font(), sizeof(base), &base);
    base.lfHeight = -(h * 2 / 3);
    base.lfWeight = FW_BOLD;
    // A margin on both sides keeps the tilted letters at the ends whole.
    constexpr int kMargin = 6;
    int cell = std::max(1, (w - 2 * kMargin) / kCodeLength);
    for (int i = 0; i < code_.GetLength(); ++i) {
        LOGFONTA skewed = base;
        // Up to 20 degrees either way, in tenths of a degree.
        LONG angle = (static_cast<LONG>(shape() % 41) - 20) * 10;
        skewed.lfEscapement = skewed.lfOrientation = angle;
        UniqueFont font(::CreateFontIndirectA(&skewed));
        char letter[2] = {code_.GetData()[i], 0};
        int lift = static_cast<int>(shape() % 7) - 3;
        LONG left = pos_.left + kMargin + i * cell;
        RECT cellRect{left, pos_.top + lift, left + cell, pos_.bottom + lift};
        render::DrawText(dc, cellRect, letter, font.get(), kInkColors[shape() % 5],
                         DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}
