#include "toolkit/edit_win.h"

#include <oleacc.h>

#include <cstring>
#include <string>
#include <string_view>

#include "toolkit/ansi_wide_win.h"
#include "toolkit/paint_manager_win.h"

namespace {

constexpr wchar_t kPasswordChar = 0x25CF;  // a black circle

}  // namespace

CEditUI::CEditUI() = default;

CEditUI::~CEditUI() = default;

const char* CEditUI::GetClass() const {
    return "EditUI";
}

void* CEditUI::GetInterface(const char* name) {
    return std::strcmp(name, "Edit") == 0 ? this : CLabelUI::GetInterface(name);
}

CDuiString CEditUI::GetText() const {
    if (!native_) return text_;
    int length = ::GetWindowTextLengthW(native_.get());
    std::wstring wide(length + 1, L'\0');
    ::GetWindowTextW(native_.get(), wide.data(), length + 1);
    wide.resize(length);
    return ui::NarrowToAnsi(wide);
}

void CEditUI::SetText(const char* text) {
    text_ = text ? text : "";
    if (native_) ::SetWindowTextW(native_.get(), ui::WidenAnsi(text_.str()).c_str());
    UpdateNativeWindow();
    Invalidate();
}

void CEditUI::SetPasswordMode(bool password) {
    password_ = password;
    if (native_) {
        ::SendMessageW(native_.get(), EM_SETPASSWORDCHAR, password ? kPasswordChar : 0, 0);
        ::InvalidateRect(native_.get(), nullptr, TRUE);
    }
}

void CEditUI::SetMaxChar(int maxChar) {
    maxChar_ = maxChar > 0 ? maxChar : 255;
    if (native_) ::SendMessageW(native_.get(), EM_LIMITTEXT, maxChar_, 0);
}

void CEditUI::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    if (native_) ::SendMessageW(native_.get(), EM_SETREADONLY, readOnly, 0);
    Invalidate();
}

void CEditUI::SetAttribute(const char* attributeName, const char* value) {
    std::string_view name = attributeName;
    if (name == "password") {
        SetPasswordMode(ui::ParseBool(value));
    } else if (name == "maxchar") {
        SetMaxChar(ui::ParseInt(value));
    } else if (name == "readonly") {
        SetReadOnly(ui::ParseBool(value));
    } else if (images_.SetAttribute(name, value)) {
        Invalidate();
    } else if (name == "tipvalue") {
        tipValue_ = value;
    } else if (name == "tipvaluecolor") {
        tipValueColor_ = ui::ParseColor(value).value_or(tipValueColor_);
    } else {
        CLabelUI::SetAttribute(attributeName, value);
    }
}

void CEditUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
    if (manager != manager_ && native_) {
        // The native window belongs to the old window; the text stays with the control.
        text_ = GetText();
        native_.reset();
    }
    CLabelUI::SetManager(manager, parent);
}

void CEditUI::SetPos(RECT rc) {
    CLabelUI::SetPos(rc);
    UpdateNativeWindow();
}

void CEditUI::SetVisible(bool visible) {
    CLabelUI::SetVisible(visible);
    UpdateNativeWindow();
}

void CEditUI::SetInternVisible(bool visible) {
    CLabelUI::SetInternVisible(visible);
    UpdateNativeWindow();
}

void CEditUI::SetEnabled(bool enabled) {
    CLabelUI::SetEnabled(enabled);
    if (native_) ::EnableWindow(native_.get(), enabled);
    UpdateNativeWindow();
}

bool CEditUI::IsFocusable() const {
    return true;
}

HWND CEditUI::PrepareNativeFocus() {
    CreateNativeWindow();
    if (native_ && IsVisible() && IsEnabled()) ::ShowWindow(native_.get(), SW_SHOWNA);
    return native_.get();
}

RECT CEditUI::TextRect() const {
    return RECT{pos_.left + textPadding_.left, pos_.top + textPadding_.top,
                pos_.right - textPadding_.right, pos_.bottom - textPadding_.bottom};
}

void CEditUI::CreateNativeWindow() {
    if (native_ || !manager_ || !manager_->GetPaintWindow()) return;
    RECT rc = TextRect();
    DWORD style = WS_CHILD | ES_AUTOHSCROLL | (password_ ? ES_PASSWORD : 0);
    native_.reset(::CreateWindowExW(0, L"EDIT", ui::WidenAnsi(text_.str()).c_str(), style, rc.left,
                                    rc.top, rc.right - rc.left, rc.bottom - rc.top,
                                    manager_->GetPaintWindow(), nullptr,
                                    CPaintManagerUI::GetInstance(), nullptr));
    if (!native_) return;
    ::SetWindowLongPtrW(native_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    nativeProc_ = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
        native_.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CEditUI::NativeProc)));
    ::SendMessageW(native_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    ::SendMessageW(native_.get(), EM_LIMITTEXT, maxChar_, 0);
    if (password_) ::SendMessageW(native_.get(), EM_SETPASSWORDCHAR, kPasswordChar, 0);
    if (readOnly_) ::SendMessageW(native_.get(), EM_SETREADONLY, TRUE, 0);
    ::EnableWindow(native_.get(), IsEnabled());
}

void CEditUI::UpdateNativeWindow() {
    bool wanted = IsVisible() && IsEnabled() && (IsFocused() || !GetText().IsEmpty());
    if (wanted) CreateNativeWindow();
    if (!native_) return;
    RECT rc = TextRect();
    ::SetWindowPos(native_.get(), nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOACTIVATE | (wanted ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void CEditUI::OnNativeFocus(bool gained) {
    if (!manager_) return;
    if (gained) {
        manager_->SetFocusNeeded(this);
    }
    UpdateNativeWindow();
    Invalidate();
}

LRESULT CALLBACK CEditUI::NativeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CEditUI*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    WNDPROC next = self->nativeProc_;
    switch (message) {
        case WM_SETFOCUS: {
            LRESULT result = ::CallWindowProcW(next, window, message, wParam, lParam);
            self->OnNativeFocus(true);
            return result;
        }
        case WM_KILLFOCUS: {
            LRESULT result = ::CallWindowProcW(next, window, message, wParam, lParam);
            // Focus moving to the window itself or another control is reported by the manager.
            self->OnNativeFocus(false);
            return result;
        }
        case WM_CHAR:
            // Tab and Return are the window's keys, not text (and the edit would beep).
            if (wParam == VK_TAB || wParam == VK_RETURN) return 0;
            break;
        case WM_KEYDOWN:
            if (wParam == VK_RETURN && self->manager_) {
                self->manager_->SendNotify(self, DUI_MSGTYPE_RETURN);
                return 0;
            }
            break;
        default:
            break;
    }
    return ::CallWindowProcW(next, window, message, wParam, lParam);
}

void CEditUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
        case UIEVENT_MOUSEENTER:
            hot_ = true;
            Invalidate();
            break;
        case UIEVENT_MOUSELEAVE:
            hot_ = false;
            Invalidate();
            break;
        case UIEVENT_BUTTONDOWN:
        case UIEVENT_DBLCLICK:
            if (IsEnabled()) SetFocus();
            break;
        case UIEVENT_KILLFOCUS:
            UpdateNativeWindow();
            Invalidate();
            break;
        case UIEVENT_SETCURSOR:
            ::SetCursor(::LoadCursor(nullptr, IDC_IBEAM));
            break;
        default:
            CLabelUI::DoEvent(event);
    }
}

long CEditUI::AccessibleRole() const {
    return ROLE_SYSTEM_TEXT;
}

DWORD CEditUI::AccessibleState() const {
    return CLabelUI::AccessibleState() | (password_ ? STATE_SYSTEM_PROTECTED : 0) |
           (readOnly_ ? STATE_SYSTEM_READONLY : 0);
}

CDuiString CEditUI::AccessibleValue() const {
    // A password is never handed to another program.
    return password_ ? CDuiString() : GetText();
}

void CEditUI::PaintStatusImage(HDC dc) {
    if (!IsEnabled() && DrawImage(dc, images_.disabled)) return;
    if (IsFocused() && DrawImage(dc, images_.focused)) return;
    if (hot_ && DrawImage(dc, images_.hot)) return;
    DrawImage(dc, images_.normal);
}

void CEditUI::PaintText(HDC dc) {
    // The native window shows the text; without it the box shows its text or its hint.
    if (native_ && ::IsWindowVisible(native_.get())) return;
    CDuiString text = GetText();
    if (!text.IsEmpty()) {
        if (password_) text = std::string(static_cast<size_t>(text.GetLength()), '*');
        DrawLabelText(dc, text, CurrentTextColor());
    } else if (!IsFocused()) {
        DrawLabelText(dc, tipValue_, tipValueColor_);
    }
}

const char* CRichEditUI::GetClass() const {
    return "RichEditUI";
}

void* CRichEditUI::GetInterface(const char* name) {
    return std::strcmp(name, "RichEdit") == 0 ? this : CEditUI::GetInterface(name);
}
