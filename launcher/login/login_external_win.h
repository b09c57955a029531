#pragma once
// The login window's face for the QQ and WeChat logon pages: the object their script reaches as
// window.external. A page that has logged the player on with QQ or WeChat calls
// external.RequestLogin(openId) or external.RequestWXLogin(openId), and the window hands the
// logon to the lobby.
//
// The object is part of the window and lives exactly as long as it (ScriptExternal). Whatever a
// page passes is checked before it is used: a wrong number of arguments, or an argument that is
// not a text, is refused with an error the page's script sees, and nothing happens.

#include <string>

#include "launcher/common/script_external_win.h"

namespace gatevane {

// Who the QQ and WeChat pages log on through (the login window).
class OpenIdLogonTarget {
public:
    // type 2 (QQ, "RequestLogin") or 3 (WeChat, "RequestWXLogin"); openId in the ANSI code page,
    // never empty.
    virtual void StartOpenIdLogon(int type, const std::string& openId) = 0;

protected:
    ~OpenIdLogonTarget() = default;
};

// The pages' window.external on the login window: IDispatch with "RequestLogin" (DISPID 100)
// and "RequestWXLogin" (200). Part of the window object; Release never frees it.
class LoginExternal final : public ScriptExternal {
public:
    static constexpr DISPID kRequestLogin = 100;
    static constexpr DISPID kRequestWxLogin = 200;
    static constexpr int kQqLogonType = 2;
    static constexpr int kWeChatLogonType = 3;

    explicit LoginExternal(OpenIdLogonTarget& target) : target_(target) {}

    // Looks only at the first name, exactly as written (case counts). Answers S_OK also for a
    // name it does not know, and then writes no identifier.
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    // The two methods take exactly one text, the OpenID: another number of arguments answers
    // E_INVALIDARG, an argument that is not a text DISP_E_TYPEMISMATCH, and an empty text does
    // nothing. Any other identifier does nothing. Nothing is returned to the script.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;

private:
    OpenIdLogonTarget& target_;
};

}  // namespace gatevane
