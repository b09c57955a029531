// The web pages' bridge into the launcher's windows: the login window's external object (QQ and
// WeChat pages) and the registration window's (phone-registration page), called exactly as a
// page's script calls window.external, through the platform's JScript engine, and the browser
// handler that hands the objects out.
#include <windows.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>
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

// What a page may pass arrives in the system's code page (936 in the test prefix, as on the
// players' machines), up to a zero character, with the type of the page that called; anything
// else is refused with an error the page's script sees (empty texts quietly) and the window is
// never asked. A name spelled otherwise is no method of the login object, and unknown to the
// registration object.
TEST(WebBridgeTest, PagesReachTheWindowsOnlyWithTheRightTexts) {
    ASSERT_EQ(::GetACP(), 936u);
    RecordingWindows windows;
    LoginExternal login(windows);
    RegisterExternal registration(windows);
    const struct {
        IDispatch* external;
        const wchar_t* script;
        HRESULT error;
    } cases[] = {
        {&login, L"external.RequestLogin('openid-1')", S_OK},
        {&login, L"external.RequestWXLogin('wx-2')", S_OK},
        {&login, L"external.RequestLogin('玩家-7\\u0000ignored')", S_OK},
        {&login, L"external.RequestLogin()", E_INVALIDARG},
        {&login, L"external.RequestWXLogin('a', 'b')", E_INVALIDARG},
        {&login, L"external.RequestLogin('')", S_OK},
        {&login, L"external.RequestWXLogin(42)", DISP_E_TYPEMISMATCH},
        {&login, L"external.RequestLogin(null)", DISP_E_TYPEMISMATCH},
        {&login, L"external.requestlogin('x')", S_OK},
        {&login, L"external.RequestLogin('x', 'y'); external.RequestLogin('z')", E_INVALIDARG},
        {&registration, L"external.RequestLogin('玩家01', 'secret-1')", S_OK},
        {&registration, L"external.RequestLogin('player01')", E_INVALIDARG},
        {&registration, L"external.RequestLogin('', 'secret-1')", S_OK},
        {&registration, L"external.RequestLogin('player01', '')", S_OK},
        {&registration, L"external.RequestLogin(42, 'secret-1')", DISP_E_TYPEMISMATCH},
        {&registration, L"external.RequestLogin('player01', null)", DISP_E_TYPEMISMATCH},
        {&registration, L"external.requestlogin('player01', 'secret-1')", E_NOTIMPL},
    };
    for (const auto& [external, script, error] : cases) {
        testing::ScriptOutcome outcome = testing::RunJScript(external, script);
        EXPECT_EQ(outcome.error, error) << script << ": " << outcome.message.c_str();
    }
    EXPECT_EQ(windows.log, (Log{"logon 2 openid-1", "logon 3 wx-2", "logon 2 玩家-7",
                                "registration 玩家01 secret-1"}));
}

// The browser asks the handler for the page's external object: none until the window attaches
// its own, then that one with a reference for the browser; each window's pages have their own.
TEST(WebBridgeTest, TheHandlerAnswersTheAttachedObjectWithAReferenceForTheBrowser) {
    RecordingWindows windows;
    LoginExternal external(windows);
    Microsoft::WRL::ComPtr<IDispatch> answer;
    EXPECT_EQ(theLoginWebHandler.GetExternal(&answer), S_OK);
    EXPECT_EQ(answer, nullptr);
    theLoginWebHandler.Attach(&external);
    EXPECT_EQ(theLoginWebHandler.GetExternal(&answer), S_OK);
    EXPECT_EQ(answer.Get(), &external);
    answer.Reset();
    EXPECT_EQ(external.AddRef(), 1u) << "the browser's reference was given back";
    EXPECT_EQ(theRegisterWebHandler.GetExternal(&answer), S_OK);
    EXPECT_EQ(answer, nullptr);
    theLoginWebHandler.Attach(nullptr);
}

}  // namespace
}  // namespace gatevane
