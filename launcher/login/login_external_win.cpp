#include "launcher/login/login_external_win.h"

#include <vector>

namespace gatevane {

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
    std::vector<std::string> openId;
    const HRESULT read = ReadTextArguments(params, 1, openId, argumentError);
    if (FAILED(read)) return read;
    if (openId[0].empty()) return S_OK;
    target_.StartOpenIdLogon(id == kRequestLogin ? kQqLogonType : kWeChatLogonType, openId[0]);
    return S_OK;
}

}  // namespace gatevane
