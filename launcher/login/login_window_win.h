#pragma once
// The launcher's main window ("GameLogin", skin "Login//login.xml"): it runs the update before
// anyone may log on, offers the remembered accounts, the typed logon, the server lines and the QQ
// and WeChat logon pages, and hands the logon to the lobby. Its message loop is the launcher's
// life; the window deletes itself after its last message.
//
//   Checking --list: nothing to fetch, or no list--> Ready --logon--> Handed off
//   Checking --files to fetch--> Downloading --all installed--> Lobby restart (lobby, no logon)
//                                Downloading --a file fails--> Stalled (until the next start)
//   Started with /StartLogin:1: Ready at once, no check and no line probes.

#include <memory>
#include <string>
#include <vector>

#include "launcher/login/account_store_win.h"
#include "launcher/login/accounts_item_win.h"
#include "launcher/login/input_method_win.h"
#include "launcher/login/line_probe_win.h"
#include "launcher/login/login_external_win.h"
#include "launcher/update/download_manager_win.h"
#include "launcher/update/update_list_loader_win.h"
#include "launcher/update/update_owner.h"
#include "toolkit/window_impl_base_win.h"

namespace gatevane {

// Sent by the registration window when the player leaves it: show the login window again.
constexpr UINT WM_SHOWLOGIN = WM_USER + 50;

class LoginWindow final : public WindowImplBase,
                          public UpdateOwner,
                          public LineProbeOwner,
                          public AccountDeleteTarget,
                          public OpenIdLogonTarget {
public:
    LoginWindow();
    ~LoginWindow() override;

    void OnUpdateListDone(bool filesToFetch) override;
    void ShowUpdateFinished() override;
    void ShowUpdateProgress(const UpdateProgress& progress) override;
    void StartLobbyAfterUpdate() override;
    void ShowUpdateStopped(const char* message) override;
    void OnLineReachable(int index) override;
    void DeleteAccount(TEventUI& event) override;
    void StartOpenIdLogon(int type, const std::string& openId) override;

    void Notify(TNotifyUI& msg) override;

protected:
    const char* GetWindowClassName() const override;
    void OnFinalMessage(HWND window) override;
    void InitWindow() override;
    CDuiString GetSkinFolder() override;
    CDuiString GetSkinFile() override;
    bool ResponseDefaultKeyEvent(WPARAM wParam) override;
    LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void OnClick(const CDuiString& name);
    void OnFirstShow();
    void OnFocusChanged(const CDuiString& name);
    void StartUpdateCheck(const std::string& url);
    void StartFileDownload();
    void EnableLogon(bool enabled);
    void ShowWebLogonPage(int page, const char* control, const std::string& url);
    void DoLogon();
    void LoadAccounts();
    void FillFromAccount(int index);
    void CloseOrGoBack();

    template <class T>
    T* Find(const char* name) const;

    // Declared in the reverse order of their destruction: the update first, the probes last.
    LineProbes probes_{};
    ReachableLine reachableLine_;
    std::vector<AccountRecord> accounts_;
    std::unique_ptr<DownloadManager> downloadManager_;
    std::unique_ptr<UpdateListLoader> updateListLoader_;
    InputMethodSwitch inputMethod_;
    LoginExternal external_{*this};
};

// Creates the login window ("用户登录"), centred and shown; false when it cannot be made.
bool OpenLoginWindow();

}  // namespace gatevane
