#include "launcher/login/login_external_win.h"

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

HRESULT LoginExternal::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid != __uuidof(IUnknown) && iid != __uuidof(IDispatch)) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

ULONG LoginExternal::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&references_));
}

ULONG LoginExternal::Release() {
    return static_cast<ULONG>(::InterlockedDecrement(&references_));
}

HRESULT LoginExternal::GetTypeInfoCount(UINT*) {
    return E_NOTIMPL;
}

HRESULT LoginExternal::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

HRESULT LoginExternal::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (count == 0) return S_OK;
    if (!names || !names[0] || !ids) return E_POINTER;
    if (::lstrcmpW(names[0], L"RequestLogin") == 0) {
        ids[0] = kRequestLogin;
    } else if (::lstrcmpW(names[0], L"RequestWXLogin") == 0) {
        ids[0] = kRequestWxLogin;
    }
    return S_OK;
}

HRESULT LoginExternal::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                              EXCEPINFO*, UINT* argumentError) {
    if (id != kRequestLogin && id != kRequestWxLogin) return S_OK;
    if (!params || params->cArgs != 1 || !params->rgvarg) return E_INVALIDARG;
    std::optional<std::wstring_view> openId = ArgumentText(params->rgvarg[0]);
    if (!openId) {
        if (argumentError) *argumentError = 0;
        return DISP_E_TYPEMISMATCH;
    }
    if (openId->empty()) return S_OK;
    target_.StartOpenIdLogon(id == kRequestLogin ? kQqLogonType : kWeChatLogonType,
                             ui::NarrowToAnsi(*openId));
    return S_OK;
}

}  // namespace gatevane
