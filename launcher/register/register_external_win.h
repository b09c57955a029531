#pragma once
// The registration window's face for the phone-registration page: the object its script reaches
// as window.external. Once the page has registered the player with the account site, it calls
// external.RequestLogin(account, password) and the window logs the new account on.
//
// The object is part of the window and lives exactly as long as it (ScriptExternal). A wrong
// number of arguments, or an argument that is not a text, is refused with an error the page's
// script sees, and nothing happens.

#include <string>

#include "launcher/common/script_external_win.h"

namespace gatevane {

// The registration window, as the phone-registration page reaches it.
class PhoneRegistrationTarget {
public:
    // The phone-registration page registered `account` with `password` (ANSI code page).
    virtual void OnPhoneRegistration(const std::string& account, const std::string& password) = 0;

protected:
    ~PhoneRegistrationTarget() = default;
};

// window.external of the phone-registration page: IDispatch with "RequestLogin" (DISPID 2535).
class RegisterExternal final : public ScriptExternal {
public:
    static constexpr DISPID kRequestLogin = 2535;

    explicit RegisterExternal(PhoneRegistrationTarget& target) : target_(target) {}

    // Looks only at the first name, compared in the user's default locale with case counting;
    // any name but "RequestLogin" answers E_NOTIMPL.
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    // "RequestLogin" takes exactly two texts, the account and the password: another number of
    // arguments answers E_INVALIDARG, an argument that is not a text DISP_E_TYPEMISMATCH, and an
    // empty account or password does nothing. Any other identifier does nothing. Nothing is
    // returned to the script.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;

private:
    PhoneRegistrationTarget& target_;
};

}  // namespace gatevane
