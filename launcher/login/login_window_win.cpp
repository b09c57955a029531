#include "launcher/login/login_window_win.h"

#include <windows.h>
#include <shellapi.h>

#include <climits>
#include <cstdio>
#include <new>

#include "launcher/common/ansi_text.h"
#include "launcher/common/plain_message_box_win.h"
#include "launcher/login/lobby_hand_off_win.h"
#include "launcher/login/message_box_window_win.h"
#include "launcher/login/web_external_handler_win.h"
#include "launcher/register/register_window_win.h"
#include "launcher/startup/apply_skin_background_win.h"
#include "launcher/startup/launcher_settings_win.h"
#include "launcher/startup/lobby_command_line.h"
#include "toolkit/combo_win.h"
#include "toolkit/container_win.h"
#include "toolkit/edit_win.h"
#include "toolkit/option_win.h"
#include "toolkit/progress_win.h"
#include "toolkit/web_browser_win.h"

namespace gatevane {
namespace {

constexpr UINT kIconResource = 107;
constexpr int kFormPage = 0;
constexpr int kQqPage = 1;
constexpr int kWeChatPage = 2;
constexpr char kEmptyFields[] = "帐号密码不能为空,请输入帐号密码后再尝试登录!";
constexpr const char* kLogonButtons[] = {"Logon", "Register", "QQLogon", "WXLogon"};

void OpenLink(const std::string& url) {
    ::ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
}

const HallHosts& Hosts() {
    return theSettings.hosts;
}

// The progress bar counts in int: a file over 2 GiB is shown at a coarser scale.
void SetBarRange(CProgressUI& bar, std::uint32_t received, std::uint32_t total) {
    while (total > static_cast<std::uint32_t>(INT_MAX)) {
        total >>= 1;
        received >>= 1;
    }
    bar.SetMaxValue(static_cast<int>(total));
    bar.SetValue(static_cast<int>(received));
}

}  // namespace

LoginWindow::LoginWindow() = default;

// The update's objects go first, then the accounts, then the probes (the members' order).
LoginWindow::~LoginWindow() = default;

template <class T>
T* LoginWindow::Find(const char* name) const {
    return dynamic_cast<T*>(paintManager_.FindControl(name));
}

const char* LoginWindow::GetWindowClassName() const {
    return "GameLogin";
}

void LoginWindow::OnFinalMessage(HWND) {
    delete this;
}

CDuiString LoginWindow::GetSkinFolder() {
    return CPaintManagerUI::GetInstancePath() + "TesselRes\\Skin\\";
}

CDuiString LoginWindow::GetSkinFile() {
    return "Login//login.xml";
}

// Escape is swallowed, Return left alone: neither closes the window nor logs on.
bool LoginWindow::ResponseDefaultKeyEvent(WPARAM wParam) {
    return wParam == VK_ESCAPE;
}

void LoginWindow::InitWindow() {
    ApplySkinBackground(paintManager_.FindControl("backlayout"));
    SetIcon(kIconResource);
    // The advertisement page gets no external object: only the logon pages may log on.
    if (auto* web = Find<CWebBrowserUI>("web"))
        web->Navigate2(SiteAddress(Hosts().ad, "/ad/gamelogin").c_str());
    theLoginWebHandler.Attach(&external_);
    if (!theSettings.UpdateOnStart) return;
    EnableLogon(false);
    if (CControlUI* state = paintManager_.FindControl("UpdateState"))
        state->SetText("正在检查更新...");
    StartUpdateCheck(SiteAddress(Hosts().update, "/Update/New/config/Update.txt"));
    probes_ = CreateLineProbes(this);
    theSettings.UpdateOnStart = false;
}

LRESULT LoginWindow::OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    inputMethod_.Release();
    theLoginWebHandler.Attach(nullptr);
    return WindowImplBase::OnDestroy(message, wParam, lParam, handled);
}

LRESULT LoginWindow::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if ((wParam & 0xFFF0) == SC_CLOSE) {
        ::PostQuitMessage(0);
        handled = true;
        return 0;
    }
    return WindowImplBase::OnSysCommand(message, wParam, lParam, handled);
}

LRESULT LoginWindow::HandleCustomMessage(UINT message, WPARAM, LPARAM, bool& handled) {
    if (message == WM_SHOWLOGIN) ShowWindow(true, true);
    handled = false;
    return 0;
}

// ---- the update ----

void LoginWindow::StartUpdateCheck(const std::string& url) {
    if (!updateListLoader_) {
        updateListLoader_.reset(new (std::nothrow) UpdateListLoader(this));
        if (!updateListLoader_) return;
    }
    updateListLoader_->Start(url.c_str());
}

void LoginWindow::OnUpdateListDone(bool filesToFetch) {
    if (filesToFetch) {
        StartFileDownload();
    } else {
        ShowUpdateFinished();
    }
}

// Without a manager nothing is fetched and logon stays disabled: the hall is not up to date.
void LoginWindow::StartFileDownload() {
    if (!downloadManager_) {
        auto manager = std::make_unique<DownloadManager>(this, window_, ProgramFolderPath(""));
        if (!manager->Create()) return;
        downloadManager_ = std::move(manager);
    }
    downloadManager_->LoadToDoList();
    downloadManager_->StartDownloads();
}

void LoginWindow::EnableLogon(bool enabled) {
    for (const char* name : kLogonButtons) {
        if (CControlUI* button = paintManager_.FindControl(name)) button->SetEnabled(enabled);
    }
}

void LoginWindow::ShowUpdateFinished() {
    EnableLogon(true);
    if (CControlUI* state = paintManager_.FindControl("UpdateState")) state->SetText("更新完成");
    if (auto* bar = Find<CProgressUI>("AllFileProgress")) {
        bar->SetText("");
        bar->SetMaxValue(100);
        bar->SetValue(0);
        bar->NeedUpdate();
    }
}

void LoginWindow::ShowUpdateProgress(const UpdateProgress& progress) {
    if (progress.fileCount <= 0) return;
    const unsigned total = static_cast<unsigned>(progress.fileCount);
    const unsigned shown = std::min(static_cast<unsigned>(progress.filesDone) + 1, total);
    char text[64];
    std::snprintf(text, sizeof text, "%u个文件需要更新,当前更新第%u个...", total, shown);
    if (CControlUI* state = paintManager_.FindControl("UpdateState")) state->SetText(text);
    if (auto* bar = Find<CProgressUI>("AllFileProgress")) {
        std::snprintf(text, sizeof text, "%d/%u", progress.filesDone, total);
        bar->SetText(text);
        SetBarRange(*bar, progress.received, progress.total);
        bar->NeedUpdate();
    }
}

void LoginWindow::StartLobbyAfterUpdate() {
    ShowUpdateFinished();
    StartLobbyWithoutLogon(*this);
}

// Stalled: logon stays disabled until the launcher is started again, the player reads why.
void LoginWindow::ShowUpdateStopped(const char* message) {
    ShowPlainMessageBox(message);
}

// ---- the line probes ----

void LoginWindow::OnLineReachable(int index) {
    const char* optionName = reachableLine_.Accept(index);
    if (!optionName) return;
    // Selected from code: no "click", so the option's own row does not store its line.
    if (auto* option = Find<COptionUI>(optionName)) option->Selected(true);
}

// ---- notifications ----

void LoginWindow::Notify(TNotifyUI& msg) {
    const CDuiString name = msg.pSender ? msg.pSender->GetName() : CDuiString();
    if (msg.sType == DUI_MSGTYPE_WINDOWINIT) {
        if (msg.pSender == paintManager_.GetRoot()) OnFirstShow();
    } else if (msg.sType == DUI_MSGTYPE_CLICK) {
        OnClick(name);
    } else if (msg.sType == DUI_MSGTYPE_ITEMSELECT && name == "Account") {
        if (auto* list = Find<CComboUI>("Account")) FillFromAccount(list->GetCurSel());
    } else if (msg.sType == DUI_MSGTYPE_SETFOCUS) {
        OnFocusChanged(name);
    }
}

void LoginWindow::OnFirstShow() {
    ::SetActiveWindow(window_);
    ::BringWindowToTop(window_);
    inputMethod_.Take(window_);
    ::SetForegroundWindow(window_);
    LoadAccounts();
}

void LoginWindow::OnClick(const CDuiString& name) {
    if (name == "CloseWindow") {
        CloseOrGoBack();
    } else if (name == "MinWindow") {
        ::SendMessageA(window_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (name == "Register") {
        OpenRegisterWindow(*this);
    } else if (name == "Logon") {
        DoLogon();
    } else if (name == "GetPassword") {
        OpenLink(SiteAddress(Hosts().account, "/Account/FindPassword"));
    } else if (name == "WebIndex") {
        OpenLink(SiteAddress(Hosts().web));
    } else if (name == "RegisterTop") {
        OpenLink(SiteAddress(Hosts().shop));
    } else if (name == "Pay") {
        OpenLink(SiteAddress(Hosts().pay));
    } else if (name == "QQOnline") {
        OpenLink(SiteAddress(Hosts().web, "/index/help.htm"));
    } else if (name == "QQLogon") {
        ShowWebLogonPage(kQqPage, "LogonWeb",
                         SiteAddress(Hosts().forum,
                                     "/connect.php?mod=login&op=init&referer="
                                     "forum.php&statfrom=login_simple"));
    } else if (name == "WXLogon") {
        ShowWebLogonPage(kWeChatPage, "WXLogonWeb", SiteAddress(Hosts().weChat, "/WeiXin/Login"));
    } else if (name == "LogonLineAuto") {
        theSettings.SelectServerLine(0);
    } else if (name == "LogonLine0") {
        theSettings.SelectServerLine(5);
    } else if (name == "LogonLine2") {
        theSettings.SelectServerLine(7);
    }
}

// The close button is "back" while a web logon page shows.
void LoginWindow::CloseOrGoBack() {
    auto* tabs = Find<CTabLayoutUI>("LogonRegister");
    if (tabs && tabs->GetCurSel() != kFormPage) {
        tabs->SelectItem(kFormPage);
    } else {
        ::PostQuitMessage(0);
    }
}

// No input method composes while the password has the focus.
void LoginWindow::OnFocusChanged(const CDuiString& name) {
    auto* edit = Find<CEditUI>(name.str().c_str());
    inputMethod_.Allow(name != "PassWord", edit ? edit->GetNativeWindow() : nullptr);
}

void LoginWindow::ShowWebLogonPage(int page, const char* control, const std::string& url) {
    auto* tabs = Find<CTabLayoutUI>("LogonRegister");
    if (!tabs || tabs->GetCurSel() == page) return;
    tabs->SelectItem(page);
    auto* web = Find<CWebBrowserUI>(control);
    if (!web) return;
    web->SetWebBrowserEventHandler(&theLoginWebHandler);
    web->Navigate2(url.c_str());
    if (!web->IsVisible()) web->SetVisible(true);
}

// ---- logon ----

void LoginWindow::DoLogon() {
    CControlUI* accountEdit = paintManager_.FindControl("LogonAccount");
    CControlUI* passwordEdit = paintManager_.FindControl("PassWord");
    if (!accountEdit || !passwordEdit) return;
    const CDuiString account = accountEdit->GetText();
    const CDuiString password = passwordEdit->GetText();
    if (account.IsEmpty() || password.IsEmpty()) {
        ShowMessageBox(*this, kEmptyFields, kMessageBoxOneButton);
        return;
    }
    auto* remember = Find<COptionUI>("SavePassword");
    char logonAccount[32];
    char logonPassword[33];
    CopyAnsiText(account.str(), logonAccount, sizeof logonAccount);
    CopyAnsiText(password.str(), logonPassword, sizeof logonPassword);
    HandOffLogon(*this, AccountLogonCommandLine(theSettings.selectedLine, logonAccount,
                                                logonPassword, remember && remember->IsSelected()));
}

void LoginWindow::StartOpenIdLogon(int type, const std::string& openId) {
    if (openId.empty()) return;
    const int line = theSettings.selectedLine;
    HandOffLogon(*this, type == LoginExternal::kQqLogonType ? QqLogonCommandLine(line, openId)
                                                            : WeChatLogonCommandLine(line, openId));
}

// ---- remembered accounts ----

void LoginWindow::LoadAccounts() {
    accounts_ = ReadRememberedAccounts();
    const std::int32_t lastUser = ReadLastUserId();
    auto* list = Find<CComboUI>("Account");
    if (!list) return;
    int added = -1;
    for (std::size_t i = 0; i < accounts_.size(); ++i) {
        const AccountRecord& record = accounts_[i];
        auto* item = new AccountsItemUI(this);
        item->SetFixedHeight(48);
        item->SetFixedWidth(200);
        item->SetAccountText(record.account);
        item->SetGameIdText(record.gameId);
        item->SetUserId(record.userId);
        item->SetFace(record.faceId);
        if (list->AddAt(item, static_cast<int>(i))) {
            ++added;
        } else {
            delete item;
        }
        if (lastUser != 0 && lastUser == record.userId && added != -1) list->SelectItem(added);
    }
}

// An index that names no record fills nothing in.
void LoginWindow::FillFromAccount(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= accounts_.size()) return;
    const AccountRecord& record = accounts_[static_cast<std::size_t>(index)];
    if (CControlUI* account = paintManager_.FindControl("LogonAccount"))
        account->SetText(record.account);
    if (CControlUI* password = paintManager_.FindControl("PassWord"))
        password->SetText(record.password);
    if (auto* remember = Find<COptionUI>("SavePassword"))
        remember->Selected(record.password[0] != '\0');
}

void LoginWindow::DeleteAccount(TEventUI& event) {
    const auto userId = event.pSender ? static_cast<std::int32_t>(event.pSender->GetTag()) : 0;
    if (userId == 0) return;
    DeleteRememberedAccount(userId);
    if (CControlUI* account = paintManager_.FindControl("LogonAccount")) {
        account->SetText("");
        account->SetFocus();
    }
    if (CControlUI* password = paintManager_.FindControl("PassWord")) password->SetText("");
    auto* list = Find<CComboUI>("Account");
    if (!list) return;
    list->RemoveAll();
    accounts_.clear();
    LoadAccounts();
}

bool OpenLoginWindow() {
    auto* window = new (std::nothrow) LoginWindow;
    if (!window) return false;
    // A window that cannot be made has already deleted itself (its final message ran).
    if (!window->Create(nullptr, "用户登录", kSkinnedWindowStyle, WS_EX_WINDOWEDGE, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT)) {
        return false;
    }
    window->CenterWindow();
    window->ShowWindow(true, true);
    return true;
}

}  // namespace gatevane
