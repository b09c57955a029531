#include "launcher/register/register_window_win.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <new>

#include "launcher/login/lobby_hand_off_win.h"
#include "launcher/login/login_window_win.h"
#include "launcher/login/message_box_window_win.h"
#include "launcher/login/web_external_handler_win.h"
#include "launcher/register/random_nickname.h"
#include "launcher/register/registration_form.h"
#include "launcher/startup/apply_skin_background_win.h"
#include "launcher/startup/launcher_settings_win.h"
#include "launcher/startup/lobby_command_line.h"
#include "toolkit/container_win.h"
#include "toolkit/dialog_builder_win.h"
#include "toolkit/edit_win.h"
#include "toolkit/option_win.h"
#include "toolkit/verify_win.h"
#include "toolkit/web_browser_win.h"
#include "toolkit/window_impl_base_win.h"

namespace gatevane {
namespace {

constexpr char kSkinFile[] = "Register//RegisterWnd_S.xml";
constexpr UINT kIconResource = 107;
constexpr int kFormPage = 0;
constexpr int kPhonePage = 1;
constexpr const char* kSecretFields[] = {"Pass_edit", "Pass2_edit", "ValidateCode_edit"};

void ShowControl(CPaintManagerUI& manager, const char* name, bool visible) {
    if (CControlUI* control = manager.FindControl(name)) control->SetVisible(visible);
}

}  // namespace

const char* RegisterWindow::GetWindowClassName() const {
    return "GameRegister";
}

void RegisterWindow::OnFinalMessage(HWND) {
    delete this;
}

std::optional<std::string> RegisterWindow::TextOf(const char* name) const {
    CControlUI* control = paintManager_.FindControl(name);
    if (!control) return std::nullopt;
    return control->GetText().str();
}

LRESULT RegisterWindow::OnCreate() {
    skinned_window::DropSystemFrame(window_);
    paintManager_.Init(window_);
    CDialogBuilder builder;
    CControlUI* root = builder.Create(kSkinFile, nullptr, nullptr, &paintManager_);
    if (!root) return -1;
    paintManager_.AttachDialog(std::unique_ptr<CControlUI>(root));
    paintManager_.AddNotifier(this);
    ApplySkinBackground(paintManager_.FindControl("register_back"));
    LoadSpreader();
    inputMethod_.Take(window_);
    theRegisterWebHandler.Attach(&external_);
    SetIcon(kIconResource);
    return 0;
}

// A hall that came through a referrer (Spreader.ini in the current directory) names it; the
// player cannot change it.
void RegisterWindow::LoadSpreader() {
    char folder[MAX_PATH] = {};
    ::GetCurrentDirectoryA(sizeof folder, folder);
    char file[MAX_PATH];
    std::snprintf(file, sizeof file, "%s\\Spreader.ini", folder);
    const int spreader =
        static_cast<int>(::GetPrivateProfileIntA("SpreaderInfo", "SpreaderID", 0, file));
    auto* edit = dynamic_cast<CEditUI*>(paintManager_.FindControl("SpeedUserName_edit"));
    if (spreader <= 0 || !edit) return;
    edit->SetText(std::to_string(spreader).c_str());
    edit->SetReadOnly(true);
}

LRESULT RegisterWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (skinned_window::HandleFrameMessage(window_, paintManager_, message, wParam, lParam,
                                           result)) {
        return result;
    }
    switch (message) {
        case WM_CREATE:
            return OnCreate();
        case WM_CLOSE:
            // However the form is left (its buttons, Alt+F4, the task bar), the login window
            // comes back: the launcher never runs on without a window.
            ShowLoginAgain();
            break;
        case WM_DESTROY:
            inputMethod_.Release();
            theRegisterWebHandler.Attach(nullptr);
            break;
        default:
            break;
    }
    if (paintManager_.MessageHandler(message, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

void RegisterWindow::ShowLoginAgain() {
    if (loginShown_) return;
    loginShown_ = true;
    ::PostMessageA(::GetParent(window_), WM_SHOWLOGIN, 0, 0);
}

// ---- notifications ----

void RegisterWindow::Notify(TNotifyUI& msg) {
    const CDuiString name = msg.pSender ? msg.pSender->GetName() : CDuiString();
    if (msg.sType == DUI_MSGTYPE_CLICK) {
        OnClick(name);
    } else if (msg.sType == DUI_MSGTYPE_SETFOCUS) {
        OnFocusChanged(name);
    } else if (msg.sType == DUI_MSGTYPE_KILLFOCUS) {
        CheckField(name);
    }
}

void RegisterWindow::OnClick(const CDuiString& name) {
    if (name == "close_bt" || name == "cancel_bt") {
        ShowWindow(false, false);
        ShowLoginAgain();
        Close(1);
    } else if (name == "register_bt") {
        SubmitRegistration();
    } else if (name == "RandNickname_bt") {
        PutRandomNickname();
    } else if (name == "Licence_bt") {
        ::ShellExecuteA(nullptr, "open",
                        SiteAddress(theSettings.hosts.web, "/help/userrule").c_str(), nullptr,
                        nullptr, SW_SHOWDEFAULT);
    } else if (name == "NorRegister_bt") {
        ShowFormPage();
    } else if (name == "TelPhoneRegister_bt") {
        ShowPhonePage();
    }
}

void RegisterWindow::OnFocusChanged(const CDuiString& name) {
    bool secret = false;
    for (const char* field : kSecretFields) secret = secret || name == field;
    auto* edit = dynamic_cast<CEditUI*>(paintManager_.FindControl(name.str().c_str()));
    inputMethod_.Allow(!secret, edit ? edit->GetNativeWindow() : nullptr);
}

void RegisterWindow::ShowFormPage() {
    auto* tabs = dynamic_cast<CTabLayoutUI*>(paintManager_.FindControl("Registertabs"));
    if (tabs && tabs->GetCurSel() != kFormPage) tabs->SelectItem(kFormPage);
    ShowControl(paintManager_, "register_bt", true);
    ShowControl(paintManager_, "cancel_bt", true);
    if (CControlUI* nickname = paintManager_.FindControl("NickName_edit")) nickname->SetText("");
}

void RegisterWindow::ShowPhonePage() {
    auto* tabs = dynamic_cast<CTabLayoutUI*>(paintManager_.FindControl("Registertabs"));
    if (tabs && tabs->GetCurSel() != kPhonePage) {
        tabs->SelectItem(kPhonePage);
        if (auto* web =
                dynamic_cast<CWebBrowserUI*>(paintManager_.FindControl("TelPhoneRegisterWeb"))) {
            web->SetWebBrowserEventHandler(&theRegisterWebHandler);
            web->Navigate2(
                SiteAddress(theSettings.hosts.account, "/Account/RegisterClient").c_str());
            if (!web->IsVisible()) web->SetVisible(true);
        }
    }
    ShowControl(paintManager_, "register_bt", false);
    ShowControl(paintManager_, "cancel_bt", false);
}

// ---- marks ----

void RegisterWindow::Mark(const char* option, bool acceptable, const std::string& remark,
                          const char* remarkLabel) {
    if (auto* mark = dynamic_cast<COptionUI*>(paintManager_.FindControl(option))) {
        mark->Selected(acceptable);
        mark->SetVisible(true);
    }
    CControlUI* label = remarkLabel ? paintManager_.FindControl(remarkLabel) : nullptr;
    if (label && !remark.empty()) label->SetText(remark.c_str());
}

void RegisterWindow::HideMark(const char* option) {
    ShowControl(paintManager_, option, false);
}

void RegisterWindow::ShowAccountCheck(bool free, const std::string& remark) {
    Mark("Account_option", free, remark, "Account_tooltip");
}

void RegisterWindow::ShowNicknameCheck(bool free, const std::string& remark) {
    Mark("NickName_option", free, remark, "NickName_tooltip");
}

// The live check of a field the player leaves: its mark hides while it is judged; the account
// and the nickname are then asked of the logon server, whose answer sets the mark.
void RegisterWindow::CheckField(const CDuiString& name) {
    const std::string account = TextOf("Account_edit").value_or("");
    const std::string nickname = TextOf("NickName_edit").value_or("");
    if (name == "Account_edit") {
        CheckName("Account_option", NameCheckClient::kAccount, account, nickname);
    } else if (name == "NickName_edit") {
        // The random nickname was made free of any check: it is not asked about.
        if (!lastRandomNickname_.empty() && nickname == lastRandomNickname_) {
            HideMark("NickName_option");
            return;
        }
        CheckName("NickName_option", NameCheckClient::kNickname, nickname, account);
    } else if (name == "Pass_edit") {
        HideMark("Pass_option");
        Mark("Pass_option", IsAcceptablePassword(TextOf("Pass_edit").value_or("")));
    } else if (name == "Pass2_edit") {
        HideMark("Pass2_option");
        Mark("Pass2_option",
             IsAcceptableConfirmation(TextOf("Pass2_edit").value_or(""), TextOf("Pass_edit")));
    }
}

void RegisterWindow::CheckName(const char* option, std::uint16_t subCommand,
                               const std::string& name, const std::string& other) {
    HideMark(option);
    if (!IsAcceptableName(name, other)) {
        Mark(option, false);
        return;
    }
    if (!nameCheckClient_) {
        nameCheckClient_.reset(new (std::nothrow) NameCheckClient(this));
        if (!nameCheckClient_) return;
    }
    nameCheckClient_->RequestNameCheck(subCommand, name);
}

void RegisterWindow::PutRandomNickname() {
    const std::string nickname = MakeRandomNickname([] {
        LARGE_INTEGER now;
        ::QueryPerformanceCounter(&now);
        return static_cast<unsigned>(now.QuadPart);
    });
    if (nickname.empty()) return;
    lastRandomNickname_ = nickname;
    if (CControlUI* edit = paintManager_.FindControl("NickName_edit"))
        edit->SetText(nickname.c_str());
    ShowNicknameCheck(true, "正确!");
}

// ---- hand-offs ----

void RegisterWindow::SubmitRegistration() {
    RegistrationForm form;
    form.account = TextOf("Account_edit");
    form.nickname = TextOf("NickName_edit");
    form.password = TextOf("Pass_edit");
    form.confirmation = TextOf("Pass2_edit");
    form.legalName = TextOf("RealName_edit");
    form.idCard = TextOf("UserCardID_edit");
    form.spreader = TextOf("SpeedUserName_edit");
    form.codeTyped = TextOf("ValidateCode_edit");
    if (auto* code = dynamic_cast<CVerifyUI*>(paintManager_.FindControl("ValidateCode"))) {
        form.codeShown = code->GetCode().str();
    }
    const RegistrationVerdict verdict = CheckRegistration(form);
    if (!verdict.problem.empty()) {
        ShowMessageBox(*this, verdict.problem.c_str(), kMessageBoxOneButton);
        return;
    }
    HandOffLogon(*this, RegistrationCommandLine(theSettings.selectedLine, verdict.data));
}

void RegisterWindow::OnPhoneRegistration(const std::string& account, const std::string& password) {
    if (account.empty() || password.empty()) return;
    HandOffLogon(*this, PhoneRegistrationCommandLine(theSettings.selectedLine, account, password));
}

bool OpenRegisterWindow(CWindowWnd& login) {
    auto* form = new (std::nothrow) RegisterWindow;
    if (!form) return false;
    // A window that cannot be made has already deleted itself (its final message ran).
    if (!form->Create(login.GetHWND(), "用户注册", kSkinnedWindowStyle, WS_EX_APPWINDOW, 0, 0, 0,
                      0)) {
        return false;
    }
    form->CenterWindow();
    login.ShowWindow(false, true);
    form->ShowWindow(true, true);
    return true;
}

}  // namespace gatevane
