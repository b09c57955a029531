#pragma once
// The registration form ("GameRegister", skin "Register//RegisterWnd_S.xml"): the login window
// opens it and hides; the player fills account, nickname, password twice, legal name, identity
// card, referrer and the picture code while the logon server is asked whether the account and the
// nickname are free; a valid form goes to the lobby (a Type 4 logon). The second tab shows the
// phone-registration page, which hands its new account over (Type 5). Leaving the form shows the
// login window again. The window deletes itself after its last message.

#include <memory>
#include <optional>
#include <string>

#include "launcher/login/input_method_win.h"
#include "launcher/register/name_check_client_win.h"
#include "launcher/register/register_external_win.h"
#include "toolkit/paint_manager_win.h"
#include "toolkit/window_wnd_win.h"

namespace gatevane {

class RegisterWindow final : public CWindowWnd,
                             public INotifyUI,
                             public NameCheckOwner,
                             public PhoneRegistrationTarget {
public:
    void Notify(TNotifyUI& msg) override;
    void ShowAccountCheck(bool free, const std::string& remark) override;
    void ShowNicknameCheck(bool free, const std::string& remark) override;
    void OnPhoneRegistration(const std::string& account, const std::string& password) override;

protected:
    const char* GetWindowClassName() const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND window) override;

private:
    LRESULT OnCreate();
    void LoadSpreader();
    void OnClick(const CDuiString& name);
    void OnFocusChanged(const CDuiString& name);
    void CheckField(const CDuiString& name);
    void CheckName(const char* option, std::uint16_t subCommand, const std::string& name,
                   const std::string& other);
    void SubmitRegistration();
    void PutRandomNickname();
    void ShowFormPage();
    void ShowPhonePage();
    void ShowLoginAgain();
    void Mark(const char* option, bool acceptable, const std::string& remark = {},
              const char* remarkLabel = nullptr);
    void HideMark(const char* option);
    std::optional<std::string> TextOf(const char* name) const;

    CPaintManagerUI paintManager_;
    InputMethodSwitch inputMethod_;
    std::string lastRandomNickname_;
    std::unique_ptr<NameCheckClient> nameCheckClient_;
    RegisterExternal external_{*this};
    bool loginShown_ = false;
};

// Opens the form over the login window `login`, which hides; false when it cannot be made.
bool OpenRegisterWindow(CWindowWnd& login);

}  // namespace gatevane
