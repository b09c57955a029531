#include "launcher/register/register_external_win.h"

#include <vector>

#include "base/unique_handle_win.h"

namespace gatevane {

HRESULT RegisterExternal::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (count == 0 || !names || !names[0] || !ids) return E_NOTIMPL;
    // VarBstrCmp reads the lengths BSTRs carry, which plain texts lack.
    UniqueBstr name(::SysAllocString(names[0]));
    UniqueBstr requestLogin(::SysAllocString(L"RequestLogin"));
    if (!name || !requestLogin) return E_OUTOFMEMORY;
    if (::VarBstrCmp(name.get(), requestLogin.get(), LOCALE_USER_DEFAULT, 0) != VARCMP_EQ) {
        return E_NOTIMPL;
    }
    ids[0] = kRequestLogin;
    return S_OK;
}

HRESULT RegisterExternal::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                 EXCEPINFO*, UINT* argumentError) {
    if (id != kRequestLogin) return S_OK;
    std::vector<std::string> accountAndPassword;
    const HRESULT read = ReadTextArguments(params, 2, accountAndPassword, argumentError);
    if (FAILED(read)) return read;
    const std::string& account = accountAndPassword[0];
    const std::string& password = accountAndPassword[1];
    if (!account.empty() && !password.empty()) target_.OnPhoneRegistration(account, password);
    return S_OK;
}

}  // namespace gatevane
