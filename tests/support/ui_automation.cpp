#include "tests/support/ui_automation.h"

#include <oleacc.h>
#include <wrl/client.h>

#include "toolkit/ansi_wide_win.h"
#include "toolkit/window_accessible_win.h"

namespace gatevane::testing {
namespace {

using Microsoft::WRL::ComPtr;

// Owns a BSTR: one an accessible object handed out, or one made to hand in.
class OwnedBstr {
public:
    OwnedBstr() = default;
    explicit OwnedBstr(const std::string& ansi) {
        std::wstring wide = ui::WidenAnsi(ansi);
        text_ = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    }
    ~OwnedBstr() { ::SysFreeString(text_); }
    OwnedBstr(const OwnedBstr&) = delete;
    OwnedBstr& operator=(const OwnedBstr&) = delete;

    BSTR get() const { return text_; }
    BSTR* Receive() {
        ::SysFreeString(text_);
        text_ = nullptr;
        return &text_;
    }
    std::string Ansi() const {
        return ui::NarrowToAnsi(std::wstring_view(text_ ? text_ : L"", ::SysStringLen(text_)));
    }

private:
    BSTR text_ = nullptr;
};

class OwnedVariant {
public:
    OwnedVariant() { ::VariantInit(&value_); }
    ~OwnedVariant() { ::VariantClear(&value_); }
    OwnedVariant(const OwnedVariant&) = delete;
    OwnedVariant& operator=(const OwnedVariant&) = delete;

    VARIANT* Receive() {
        ::VariantClear(&value_);
        return &value_;
    }
    std::optional<long> Number() const {
        return value_.vt == VT_I4 ? std::optional<long>(value_.lVal) : std::nullopt;
    }

private:
    VARIANT value_;
};

VARIANT ChildId(long id) {
    VARIANT child;
    ::VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

ComPtr<IAccessible> AccessibleOf(HWND window) {
    ComPtr<IAccessible> accessible;
    HRESULT hr =
        ::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                     reinterpret_cast<void**>(accessible.GetAddressOf()));
    return SUCCEEDED(hr) ? accessible : nullptr;
}

template <typename Getter>
std::string ReadText(Getter getter) {
    OwnedBstr text;
    return SUCCEEDED(getter(text.Receive())) ? text.Ansi() : std::string();
}

template <typename Getter>
long ReadNumber(Getter getter) {
    OwnedVariant number;
    return SUCCEEDED(getter(number.Receive())) ? number.Number().value_or(0) : 0;
}

UiControl ReadControl(IAccessible* accessible, long id) {
    VARIANT child = ChildId(id);
    UiControl control;
    control.childId = id;
    control.name = ReadText([&](BSTR* text) { return accessible->get_accName(child, text); });
    control.controlName =
        ReadText([&](BSTR* text) { return accessible->get_accDescription(child, text); });
    control.value = ReadText([&](BSTR* text) { return accessible->get_accValue(child, text); });
    control.role =
        ReadNumber([&](VARIANT* number) { return accessible->get_accRole(child, number); });
    control.state =
        ReadNumber([&](VARIANT* number) { return accessible->get_accState(child, number); });
    LONG left = 0, top = 0, width = 0, height = 0;
    if (SUCCEEDED(accessible->accLocation(&left, &top, &width, &height, child))) {
        control.screen = RECT{left, top, left + width, top + height};
    }
    return control;
}

long ChildCount(IAccessible* accessible) {
    LONG count = 0;
    return SUCCEEDED(accessible->get_accChildCount(&count)) ? count : 0;
}

// The child id of the control with that name in the skin.
std::optional<long> FindChild(IAccessible* accessible, const std::string& controlName) {
    for (long id = 1, count = ChildCount(accessible); id <= count; ++id) {
        VARIANT child = ChildId(id);
        std::string name =
            ReadText([&](BSTR* text) { return accessible->get_accDescription(child, text); });
        if (name == controlName) return id;
    }
    return std::nullopt;
}

// Runs `action(accessible, child)` on the named control; true if it answered S_OK.
template <typename Action>
bool Act(HWND window, const std::string& controlName, Action action) {
    ComPtr<IAccessible> accessible = AccessibleOf(window);
    if (!accessible) return false;
    std::optional<long> id = FindChild(accessible.Get(), controlName);
    return id && action(accessible.Get(), ChildId(*id)) == S_OK;
}

void DispatchMessagesFor(DWORD ms) {
    DWORD start = ::GetTickCount();
    for (DWORD passed = 0; passed < ms; passed = ::GetTickCount() - start) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - passed, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

struct WindowSearch {
    const char* windowClass;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    char name[256] = {};
    ::GetClassNameA(window, name, sizeof(name));
    if (!::IsWindowVisible(window) || ::lstrcmpiA(name, search->windowClass) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

constexpr DWORD kPollMs = 50;

}  // namespace

std::string Rect(const RECT& rect) {
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
           std::to_string(rect.right) + "," + std::to_string(rect.bottom);
}

std::optional<UiWindow> UiWindow::Find(const char* windowClass, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    for (;;) {
        WindowSearch search{windowClass, nullptr};
        ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) return UiWindow(search.found);
        if (::GetTickCount() - start >= timeoutMs) return std::nullopt;
        DispatchMessagesFor(kPollMs);
    }
}

std::vector<UiControl> UiWindow::Controls() const {
    std::vector<UiControl> controls;
    ComPtr<IAccessible> accessible = AccessibleOf(window_);
    if (!accessible) return controls;
    for (long id = 1, count = ChildCount(accessible.Get()); id <= count; ++id) {
        controls.push_back(ReadControl(accessible.Get(), id));
    }
    return controls;
}

std::optional<UiControl> UiWindow::Control(const std::string& controlName) const {
    ComPtr<IAccessible> accessible = AccessibleOf(window_);
    if (!accessible) return std::nullopt;
    std::optional<long> id = FindChild(accessible.Get(), controlName);
    if (!id) return std::nullopt;
    return ReadControl(accessible.Get(), *id);
}

bool UiWindow::Click(const std::string& controlName) const {
    return Act(window_, controlName, [](IAccessible* accessible, VARIANT child) {
        return accessible->accDoDefaultAction(child);
    });
}

bool UiWindow::ClickChild(long childId) const {
    ComPtr<IAccessible> accessible = AccessibleOf(window_);
    return accessible && accessible->accDoDefaultAction(ChildId(childId)) == S_OK;
}

bool UiWindow::SetText(const std::string& controlName, const std::string& text) const {
    OwnedBstr wide(text);
    if (!wide.get()) return false;
    return Act(window_, controlName, [&](IAccessible* accessible, VARIANT child) {
        return accessible->put_accValue(child, wide.get());
    });
}

bool UiWindow::Focus(const std::string& controlName) const {
    return Act(window_, controlName, [](IAccessible* accessible, VARIANT child) {
        return accessible->accSelect(SELFLAG_TAKEFOCUS, child);
    });
}

std::string UiWindow::Text(const std::string& controlName) const {
    std::optional<UiControl> control = Control(controlName);
    return control ? control->value : std::string();
}

std::string UiWindow::Name(const std::string& controlName) const {
    std::optional<UiControl> control = Control(controlName);
    return control ? control->name : std::string();
}

long UiWindow::State(const std::string& controlName) const {
    std::optional<UiControl> control = Control(controlName);
    return control ? control->state : -1;
}

bool UiWindow::IsVisible(const std::string& controlName) const {
    long state = State(controlName);
    return state != -1 && !(state & STATE_SYSTEM_INVISIBLE);
}

bool UiWindow::IsEnabled(const std::string& controlName) const {
    long state = State(controlName);
    return state != -1 && !(state & STATE_SYSTEM_UNAVAILABLE);
}

bool UiWindow::IsChecked(const std::string& controlName) const {
    long state = State(controlName);
    return state != -1 && (state & STATE_SYSTEM_CHECKED);
}

bool UiWindow::PressKey(UINT vk) const {
    DWORD thread = ::GetWindowThreadProcessId(window_, nullptr);
    if (!thread) return false;
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    HWND target = ::GetGUIThreadInfo(thread, &info) && info.hwndFocus ? info.hwndFocus : window_;
    // Repeat count 1 and the key's scan code; a release also has the previous-state and
    // transition bits.
    DWORD down = 1 | (::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC) << 16);
    DWORD up = down | 0xC0000000;
    return ::PostMessageA(target, WM_KEYDOWN, vk, static_cast<LPARAM>(down)) &&
           ::PostMessageA(target, WM_KEYUP, vk, static_cast<LPARAM>(up));
}

bool UiWindow::WaitFor(const std::string& controlName,
                       const std::function<bool(const UiControl&)>& predicate,
                       DWORD timeoutMs) const {
    DWORD start = ::GetTickCount();
    for (;;) {
        std::optional<UiControl> control = Control(controlName);
        if (control && predicate(*control)) return true;
        if (::GetTickCount() - start >= timeoutMs) return false;
        DispatchMessagesFor(kPollMs);
    }
}

}  // namespace gatevane::testing
