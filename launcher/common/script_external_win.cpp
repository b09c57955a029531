#include "launcher/common/script_external_win.h"

#include <optional>
#include <string_view>

#include "toolkit/ansi_wide_win.h"

namespace gatevane {
namespace {

// The text a script passed, up to its first zero character; none when the argument is no text.
// A null BSTR is COM's empty text.
std::optional<std::wstring_view> ArgumentText(const VARIANT& argument) {
    const BSTR* text = nullptr;
    if (V_VT(&argument) == VT_BSTR) {
        text = &V_BSTR(&argument);
    } else if (V_VT(&argument) == (VT_BYREF | VT_BSTR) && V_BSTRREF(&argument)) {
        text = V_BSTRREF(&argument);
    } else {
        return std::nullopt;
    }
    if (!*text) return std::wstring_view();
    std::wstring_view whole(*text, ::SysStringLen(*text));
    return whole.substr(0, whole.find(L'\0'));
}

}  // namespace

HRESULT ScriptExternal::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid != __uuidof(IUnknown) && iid != __uuidof(IDispatch)) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

ULONG ScriptExternal::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&references_));
}

ULONG ScriptExternal::Release() {
    return static_cast<ULONG>(::InterlockedDecrement(&references_));
}

HRESULT ScriptExternal::GetTypeInfoCount(UINT*) {
    return E_NOTIMPL;
}

HRESULT ScriptExternal::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

HRESULT ScriptExternal::ReadTextArguments(const DISPPARAMS* params, UINT count,
                                          std::vector<std::string>& texts, UINT* argumentError) {
    if (!params || params->cArgs != count || (count > 0 && !params->rgvarg)) return E_INVALIDARG;
    texts.clear();
    // The arguments array holds the script's last argument first.
    for (UINT place = count; place-- > 0;) {
        std::optional<std::wstring_view> text = ArgumentText(params->rgvarg[place]);
        if (!text) {
            if (argumentError) *argumentError = place;
            return DISP_E_TYPEMISMATCH;
        }
        texts.push_back(ui::NarrowToAnsi(*text));
    }
    return S_OK;
}

}  // namespace gatevane
