#include "toolkit/window_accessible_win.h"

#include <oleacc.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "toolkit/ansi_wide_win.h"
#include "toolkit/combo_win.h"
#include "toolkit/control_win.h"
#include "toolkit/edit_win.h"
#include "toolkit/list_element_win.h"
#include "toolkit/paint_manager_win.h"

// The accessible object keeps only the window handle: a client (often another process) may hold
// it long after the window and its controls are gone, so every call looks the window's manager
// up again and lists the children as the tree is now. Child ids are positions in that list.

namespace {

// The controls a client sees, in the order they are drawn: every named control, and every element
// of a drop-down list (elements are made in code and usually have no name).
void CollectChildren(CControlUI* control, bool isListElement, std::vector<CControlUI*>& children) {
    if (isListElement || !control->GetName().IsEmpty()) children.push_back(control);
    bool isList = control->GetInterface("Combo") != nullptr;
    for (int i = 0; i < control->GetChildCount(); ++i) {
        CollectChildren(control->GetChildAt(i), isList, children);
    }
}

std::vector<CControlUI*> ListChildren(const CPaintManagerUI& manager) {
    std::vector<CControlUI*> children;
    if (manager.GetRoot()) CollectChildren(manager.GetRoot(), false, children);
    return children;
}

long ChildIdOf(const std::vector<CControlUI*>& children, const CControlUI* control) {
    auto found = std::find(children.begin(), children.end(), control);
    return found == children.end() ? CHILDID_SELF : static_cast<long>(found - children.begin()) + 1;
}

// What a person reads on the control. An edit box's text is its value (a password, perhaps), never
// its label.
CDuiString HumanLabel(CControlUI* control) {
    if (!control->GetInterface("Edit")) {
        CDuiString text = control->GetText();
        if (!text.IsEmpty()) return text;
    }
    return control->GetToolTip().IsEmpty() ? control->GetName() : control->GetToolTip();
}

// Whether the control takes no action now: it is hidden or disabled. An element of a closed
// drop-down list is hidden but can still be chosen, as with the keyboard: its list must be shown.
bool Refuses(CControlUI* control) {
    constexpr DWORD kBlocked = STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE;
    auto* element =
        static_cast<CListContainerElementUI*>(control->GetInterface("ListContainerElement"));
    if (element && element->GetOwner()) {
        return (control->AccessibleState() & STATE_SYSTEM_UNAVAILABLE) ||
               (element->GetOwner()->AccessibleState() & kBlocked);
    }
    return (control->AccessibleState() & kBlocked) != 0;
}

RECT ScreenRect(CControlUI* control, HWND fallback) {
    // Elements of an open drop-down list are drawn in the drop box's own window.
    HWND owner = control->GetManager() ? control->GetManager()->GetPaintWindow() : fallback;
    RECT rect = control->GetPos();
    ::MapWindowPoints(owner, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

BSTR ToBstr(const wchar_t* text, int length) {
    return ::SysAllocStringLen(text, static_cast<UINT>(length));
}

BSTR ToBstr(const char* text) {
    std::wstring wide = ui::WidenAnsi(text);
    return ToBstr(wide.data(), static_cast<int>(wide.size()));
}

std::string FromBstr(BSTR text) {
    return ui::NarrowToAnsi(std::wstring_view(text ? text : L"", ::SysStringLen(text)));
}

HRESULT AnswerText(const char* text, BSTR* answer) {
    *answer = ToBstr(text);
    return *answer ? S_OK : E_OUTOFMEMORY;
}

HRESULT AnswerNumber(long number, VARIANT* answer) {
    answer->vt = VT_I4;
    answer->lVal = number;
    return S_OK;
}

// No exception crosses a COM method: the only one that can arise here is running out of memory.
template <typename Body>
HRESULT Guarded(Body body) noexcept {
    try {
        return body();
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

// COM interfaces have no virtual destructor; the object deletes itself (it is final) in Release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class WindowAccessible final : public IAccessible {
public:
    explicit WindowAccessible(HWND window) : window_(window) {}
    WindowAccessible(const WindowAccessible&) = delete;
    WindowAccessible& operator=(const WindowAccessible&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIidAccessible) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = ::InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return left;
    }

    // Clients call IAccessible's methods directly; nothing is offered for late binding.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        if (!CPaintManagerUI::FromWindow(window_)) return RPC_E_DISCONNECTED;
        return ::AccessibleObjectFromWindow(window_, static_cast<DWORD>(OBJID_WINDOW),
                                            IID_IDispatch, reinterpret_cast<void**>(parent));
    }

    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return Guarded([&]() -> HRESULT {
            CPaintManagerUI* manager = CPaintManagerUI::FromWindow(window_);
            if (!manager) return RPC_E_DISCONNECTED;
            *count = static_cast<LONG>(ListChildren(*manager).size());
            return S_OK;
        });
    }

    // The children are simple elements, not objects of their own.
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT id, IDispatch** child) override {
        if (!child) return E_POINTER;
        *child = nullptr;
        return Guarded([&]() -> HRESULT {
            Target target;
            HRESULT hr = Resolve(id, target);
            if (FAILED(hr)) return hr;
            return target.control ? S_FALSE : E_INVALIDARG;
        });
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT id, BSTR* name) override {
        return TextProperty(id, name, [&](CControlUI* control) -> HRESULT {
            if (control) return AnswerText(HumanLabel(control), name);
            int length = ::GetWindowTextLengthW(window_);
            std::wstring title(length + 1, L'\0');
            length = ::GetWindowTextW(window_, title.data(), length + 1);
            *name = ToBstr(title.c_str(), length);
            return *name ? S_OK : E_OUTOFMEMORY;
        });
    }

    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT id, BSTR* value) override {
        return TextProperty(id, value, [&](CControlUI* control) -> HRESULT {
            return control ? AnswerText(control->AccessibleValue(), value) : S_FALSE;
        });
    }

    // The control's name in the skin: what the launcher's code and the tests know it by.
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT id, BSTR* description) override {
        return TextProperty(id, description, [&](CControlUI* control) -> HRESULT {
            return control ? AnswerText(control->GetName(), description) : S_FALSE;
        });
    }

    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT id, BSTR* action) override {
        return TextProperty(id, action, [&](CControlUI* control) -> HRESULT {
            if (!control || control->AccessibleDefaultAction().IsEmpty()) return S_FALSE;
            return AnswerText(control->AccessibleDefaultAction(), action);
        });
    }

    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT id, VARIANT* role) override {
        return NumberProperty(id, role, [&](CControlUI* control) -> HRESULT {
            return AnswerNumber(control ? control->AccessibleRole() : ROLE_SYSTEM_CLIENT, role);
        });
    }

    HRESULT STDMETHODCALLTYPE get_accState(VARIANT id, VARIANT* state) override {
        return NumberProperty(id, state, [&](CControlUI* control) -> HRESULT {
            if (control) return AnswerNumber(static_cast<long>(control->AccessibleState()), state);
            long own = STATE_SYSTEM_FOCUSABLE;
            if (HasFocus()) own |= STATE_SYSTEM_FOCUSED;
            if (!::IsWindowVisible(window_)) own |= STATE_SYSTEM_INVISIBLE;
            return AnswerNumber(own, state);
        });
    }

    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override {
        if (help) *help = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
        if (file) *file = nullptr;
        if (topic) *topic = 0;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* shortcut) override {
        if (shortcut) *shortcut = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (selection) ::VariantInit(selection);
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG, VARIANT, VARIANT* end) override {
        if (end) ::VariantInit(end);
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (!focus) return E_POINTER;
        ::VariantInit(focus);
        return Guarded([&]() -> HRESULT {
            CPaintManagerUI* manager = CPaintManagerUI::FromWindow(window_);
            if (!manager) return RPC_E_DISCONNECTED;
            if (!HasFocus()) return S_FALSE;
            return AnswerNumber(ChildIdOf(ListChildren(*manager), manager->GetFocus()), focus);
        });
    }

    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT id) override {
        return Guarded([&]() -> HRESULT {
            Target target;
            HRESULT hr = Resolve(id, target);
            if (FAILED(hr)) return hr;
            if (flags != SELFLAG_TAKEFOCUS || !target.control || Refuses(target.control) ||
                !(target.control->AccessibleState() & STATE_SYSTEM_FOCUSABLE)) {
                return DISP_E_MEMBERNOTFOUND;
            }
            target.manager->PostFocus(target.control);
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT id) override {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        return Guarded([&]() -> HRESULT {
            Target target;
            HRESULT hr = Resolve(id, target);
            if (FAILED(hr)) return hr;
            RECT rect = target.control ? ScreenRect(target.control, window_) : ClientScreenRect();
            *left = rect.left;
            *top = rect.top;
            *width = rect.right - rect.left;
            *height = rect.bottom - rect.top;
            return S_OK;
        });
    }

    // The child drawn at a screen point: the last shown one in drawing order whose area holds it.
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* hit) override {
        if (!hit) return E_POINTER;
        ::VariantInit(hit);
        return Guarded([&]() -> HRESULT {
            CPaintManagerUI* manager = CPaintManagerUI::FromWindow(window_);
            if (!manager) return RPC_E_DISCONNECTED;
            POINT point{x, y};
            RECT client = ClientScreenRect();
            if (!::PtInRect(&client, point)) return S_FALSE;
            std::vector<CControlUI*> children = ListChildren(*manager);
            for (size_t i = children.size(); i > 0; --i) {
                RECT area = ScreenRect(children[i - 1], window_);
                if (children[i - 1]->IsVisible() && ::PtInRect(&area, point)) {
                    return AnswerNumber(static_cast<long>(i), hit);
                }
            }
            return AnswerNumber(CHILDID_SELF, hit);
        });
    }

    // Runs later, from the window's queue: a click may open a modal box, and the caller (often
    // another process) must not wait for it.
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT id) override {
        return Guarded([&]() -> HRESULT {
            Target target;
            HRESULT hr = Resolve(id, target);
            if (FAILED(hr)) return hr;
            if (!target.control || Refuses(target.control) ||
                target.control->AccessibleDefaultAction().IsEmpty()) {
                return DISP_E_MEMBERNOTFOUND;
            }
            target.manager->PostDefaultAction(target.control);
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT id, BSTR value) override {
        return Guarded([&]() -> HRESULT {
            Target target;
            HRESULT hr = Resolve(id, target);
            if (FAILED(hr)) return hr;
            auto* edit = target.control
                             ? static_cast<CEditUI*>(target.control->GetInterface("Edit"))
                             : nullptr;
            if (!edit) return E_NOTIMPL;
            if (edit->IsReadOnly() || Refuses(edit)) return E_ACCESSDENIED;
            edit->SetText(FromBstr(value).c_str());
            return S_OK;
        });
    }

private:
    // The window as it is now, and the child an id names (null: the window itself).
    struct Target {
        CPaintManagerUI* manager = nullptr;
        CControlUI* control = nullptr;
    };

    HRESULT Resolve(const VARIANT& id, Target& target) const {
        target.manager = CPaintManagerUI::FromWindow(window_);
        if (!target.manager) return RPC_E_DISCONNECTED;
        if (id.vt != VT_I4) return E_INVALIDARG;
        if (id.lVal == CHILDID_SELF) return S_OK;
        std::vector<CControlUI*> children = ListChildren(*target.manager);
        if (id.lVal < 1 || static_cast<size_t>(id.lVal) > children.size()) return E_INVALIDARG;
        target.control = children[id.lVal - 1];
        return S_OK;
    }

    template <typename Answer>
    HRESULT TextProperty(const VARIANT& id, BSTR* text, Answer answer) const {
        if (!text) return E_POINTER;
        *text = nullptr;
        return Guarded([&]() -> HRESULT {
            Target target;
            HRESULT hr = Resolve(id, target);
            return FAILED(hr) ? hr : answer(target.control);
        });
    }

    template <typename Answer>
    HRESULT NumberProperty(const VARIANT& id, VARIANT* number, Answer answer) const {
        if (!number) return E_POINTER;
        ::VariantInit(number);
        return Guarded([&]() -> HRESULT {
            Target target;
            HRESULT hr = Resolve(id, target);
            return FAILED(hr) ? hr : answer(target.control);
        });
    }

    // The keyboard focus is in the window or in a native window it hosts (an edit box).
    bool HasFocus() const {
        HWND focus = ::GetFocus();
        return focus && (focus == window_ || ::IsChild(window_, focus));
    }

    RECT ClientScreenRect() const {
        RECT client{};
        ::GetClientRect(window_, &client);
        ::MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&client), 2);
        return client;
    }

    HWND window_;
    LONG references_ = 1;
};
#pragma GCC diagnostic pop

}  // namespace

bool AnswerAccessibleObject(CPaintManagerUI* manager, WPARAM wParam, LPARAM lParam,
                            LRESULT& result) {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT || !manager || !manager->GetPaintWindow()) {
        return false;
    }
    auto* accessible = new (std::nothrow) WindowAccessible(manager->GetPaintWindow());
    if (!accessible) return false;
    // The answer holds its own reference until the client takes the object.
    LRESULT answer = ::LresultFromObject(kIidAccessible, wParam, accessible);
    accessible->Release();
    if (answer < 0) return false;
    result = answer;
    return true;
}
