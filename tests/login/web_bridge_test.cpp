// The web pages' bridge into the launcher's windows: the login window's external object (QQ and
// WeChat pages) and the registration window's (phone-registration page), handed out by the
// browser handlers and called exactly as a page's script calls window.external, through the
// platform's JScript engine.
#include <windows.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "launcher/login/login_external_win.h"
#include "launcher/login/web_external_handler_win.h"
#include "launcher/register/register_external_win.h"
#include "tests/support/script_runner.h"

namespace gatevane {
namespace {

using Log = std::vector<std::string>;

// The login and registration windows as the pages reach them: what they were asked, in order.
class RecordingWindows final : public OpenIdLogonTarget, public PhoneRegistrationTarget {
public:
    Log log;
    void StartOpenIdLogon(int type, const std::string& openId) override {
        log.push_back("logon " + std::to_string(type) + " " + openId);
    }
    void OnPhoneRegistration(const std::string& account, const std::string& password) override {
        log.push_back("registration " + account + " " + password);
    }
};

// Each page asks its browser handler for the external object its window attached, as the browser
// does. What a page may pass arrives in the system's code page (936 in the test prefix, as on the
// players' machines), up to a zero character, with the type of the page that called; anything
// else is refused with an error the page's script sees (empty texts quietly) and the window is
// never asked. A name spelled otherwise is no method of the login object, and unknown to the
// registration object.
TEST(WebBridgeTest, PagesReachTheirWindowsOnlyWithTheRightTexts) {
    ASSERT_EQ(::GetACP(), 936u);
    RecordingWindows windows;
    LoginExternal login(windows);
    RegisterExternal registration(windows);
    WebExternalHandler* const logon = &theLoginWebHandler;
    WebExternalHandler* const phone = &theRegisterWebHandler;
    logon->Attach(&login);
    phone->Attach(&registration);
    const std::tuple<WebExternalHandler*, const wchar_t*, HRESULT> cases[] = {
        {logon, L"external.RequestLogin('openid-1')", S_OK},
        {logon, L"external.RequestWXLogin('wx-2')", S_OK},
        {logon, L"external.RequestLogin('玩家-7\\u0000ignored')", S_OK},
        {logon, L"external.RequestLogin()", E_INVALIDARG},
        {logon, L"external.RequestWXLogin('a', 'b')", E_INVALIDARG},
        {logon, L"external.RequestLogin('')", S_OK},
        {logon, L"external.RequestWXLogin(42)", DISP_E_TYPEMISMATCH},
        {logon, L"external.requestlogin('x')", S_OK},
        {logon, L"external.RequestLogin('x', 'y'); external.RequestLogin('z')", E_INVALIDARG},
        {phone, L"external.RequestLogin('玩家01', 'secret-1')", S_OK},
        {phone, L"external.RequestLogin('player01')", E_INVALIDARG},
        {phone, L"external.RequestLogin('', 'secret-1')", S_OK},
        {phone, L"external.RequestLogin('player01', '')", S_OK},
        {phone, L"external.RequestLogin(42, 'secret-1')", DISP_E_TYPEMISMATCH},
        {phone, L"external.RequestLogin('player01', null)", DISP_E_TYPEMISMATCH},
        {phone, L"external.requestlogin('player01', 'secret-1')", E_NOTIMPL},
    };
    for (const auto& [page, script, error] : cases) {
        Microsoft::WRL::ComPtr<IDispatch> external;
        EXPECT_EQ(page->GetExternal(&external), S_OK);
        testing::ScriptOutcome outcome = testing::RunJScript(external.Get(), script);
        EXPECT_EQ(outcome.error, error) << script << ": " << outcome.message.c_str();
    }
    EXPECT_EQ(windows.log, (Log{"logon 2 openid-1", "logon 3 wx-2", "logon 2 玩家-7",
                                "registration 玩家01 secret-1"}));
    EXPECT_EQ(login.AddRef(), 1u) << "every reference handed out was given back";
    logon->Attach(nullptr);
    Microsoft::WRL::ComPtr<IDispatch> none;
    EXPECT_EQ(logon->GetExternal(&none), S_OK);
    EXPECT_EQ(none, nullptr) << "none once the window is gone";
    phone->Attach(nullptr);
}

}  // namespace
}  // namespace gatevane
