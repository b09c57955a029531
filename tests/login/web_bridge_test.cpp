// The web pages' bridge into the launcher's windows: the login window's external object (QQ and
// WeChat pages) and the registration window's (phone-registration page), called exactly as a
// page's script calls window.external, through the platform's JScript engine, and the browser
// handler that hands the objects out.
#include <windows.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "launcher/login/login_external_win.h"
#include "launcher/login/web_external_handler_win.h"
#include "launcher/register/register_external_win.h"
#include "tests/support/script_runner.h"

namespace gatevane {
namespace {

using Logons = std::vector<std::pair<int, std::string>>;

// The login window as the pages reach it: every logon it was asked for, in order.
class RecordingTarget final : public OpenIdLogonTarget {
public:
    Logons logons;
    void StartOpenIdLogon(int type, const std::string& openId) override {
        logons.emplace_back(type, openId);
    }
};

class LoginExternalTest : public ::testing::Test {
protected:
    testing::ScriptOutcome Run(const wchar_t* script) {
        return testing::RunJScript(&external_, script);
    }

    RecordingTarget target_;
    LoginExternal external_{target_};
};

// The OpenID reaches the window in the system's code page (936 in the test prefix, as on the
// players' machines), with the type of the page that called.
TEST_F(LoginExternalTest, EachPageLogsOnWithItsTypeAndTheOpenIdInTheAnsiCodePage) {
    ASSERT_EQ(::GetACP(), 936u);
    for (const wchar_t* script :
         {L"external.RequestLogin('openid-1')", L"external.RequestWXLogin('wx-2')",
          L"external.RequestLogin('玩家-7\\u0000ignored')"}) {
        testing::ScriptOutcome outcome = Run(script);
        EXPECT_EQ(outcome.error, S_OK) << script << ": " << outcome.message.c_str();
    }
    EXPECT_EQ(target_.logons, (Logons{{2, "openid-1"}, {3, "wx-2"}, {2, "玩家-7"}}));
}

// What else a page may pass is refused with an error its script sees (an empty text quietly), and
// the window is never asked; a name spelled otherwise is no method of the object.
TEST_F(LoginExternalTest, WrongArgumentsAndOtherNamesLeaveTheWindowAlone) {
    const std::pair<const wchar_t*, HRESULT> cases[] = {
        {L"external.RequestLogin()", E_INVALIDARG},
        {L"external.RequestWXLogin('a', 'b')", E_INVALIDARG},
        {L"external.RequestLogin('')", S_OK},
        {L"external.RequestWXLogin(42)", DISP_E_TYPEMISMATCH},
        {L"external.RequestLogin(null)", DISP_E_TYPEMISMATCH},
        {L"external.RequestLogin(undefined)", DISP_E_TYPEMISMATCH},
        {L"external.RequestLogin({openId: 'x'})", DISP_E_TYPEMISMATCH},
        {L"external.RequestLogin(['x'])", DISP_E_TYPEMISMATCH},
        {L"external.requestlogin('x')", S_OK},
        {L"external.RequestLogin('x', 'y'); external.RequestLogin('z')", E_INVALIDARG},
    };
    for (const auto& [script, error] : cases) {
        testing::ScriptOutcome outcome = Run(script);
        EXPECT_EQ(outcome.error, error) << script << ": " << outcome.message.c_str();
    }
    EXPECT_TRUE(target_.logons.empty());
}

using Registrations = std::vector<std::pair<std::string, std::string>>;

// The registration window as its page reaches it: every registration it was told of, in order.
class RecordingRegistrationTarget final : public PhoneRegistrationTarget {
public:
    Registrations registrations;
    void OnPhoneRegistration(const std::string& account, const std::string& password) override {
        registrations.emplace_back(account, password);
    }
};

class RegisterExternalTest : public ::testing::Test {
protected:
    testing::ScriptOutcome Run(const wchar_t* script) {
        return testing::RunJScript(&external_, script);
    }

    RecordingRegistrationTarget target_;
    RegisterExternal external_{target_};
};

// The page passes the account first and the password second; both reach the window in the
// system's code page.
TEST_F(RegisterExternalTest, ThePageHandsOverTheAccountAndThePasswordInThatOrder) {
    testing::ScriptOutcome outcome = Run(L"external.RequestLogin('玩家01', 'secret-1')");
    EXPECT_EQ(outcome.error, S_OK) << outcome.message.c_str();
    EXPECT_EQ(target_.registrations, (Registrations{{"玩家01", "secret-1"}}));
}

// Anything else is refused with an error the page's script sees (an empty account or password
// quietly) and the window is never told; a name spelled otherwise is no method of the object.
TEST_F(RegisterExternalTest, WrongArgumentsAndOtherNamesLeaveTheWindowAlone) {
    const std::pair<const wchar_t*, HRESULT> cases[] = {
        {L"external.RequestLogin('player01')", E_INVALIDARG},
        {L"external.RequestLogin()", E_INVALIDARG},
        {L"external.RequestLogin('a', 'b', 'c')", E_INVALIDARG},
        {L"external.RequestLogin('', 'secret-1')", S_OK},
        {L"external.RequestLogin('player01', '')", S_OK},
        {L"external.RequestLogin(42, 'secret-1')", DISP_E_TYPEMISMATCH},
        {L"external.RequestLogin('player01', null)", DISP_E_TYPEMISMATCH},
        {L"external.requestlogin('player01', 'secret-1')", E_NOTIMPL},
    };
    for (const auto& [script, error] : cases) {
        testing::ScriptOutcome outcome = Run(script);
        EXPECT_EQ(outcome.error, error) << script << ": " << outcome.message.c_str();
    }
    EXPECT_TRUE(target_.registrations.empty());
}

// The browser asks the handler for the page's external object: none until the window attaches
// its own, then that one with a reference for the browser.
TEST(WebExternalHandlerTest, AnswersTheAttachedObjectWithAReferenceForTheBrowser) {
    RecordingTarget target;
    LoginExternal external(target);
    Microsoft::WRL::ComPtr<IDispatch> answer;
    for (WebExternalHandler* handler : {&theLoginWebHandler, &theRegisterWebHandler}) {
        EXPECT_EQ(handler->GetExternal(&answer), S_OK);
        EXPECT_EQ(answer, nullptr);
    }
    theLoginWebHandler.Attach(&external);
    EXPECT_EQ(theLoginWebHandler.GetExternal(&answer), S_OK);
    EXPECT_EQ(answer.Get(), &external);
    answer.Reset();
    EXPECT_EQ(external.AddRef(), 1u) << "the browser's reference was given back";
    EXPECT_EQ(theRegisterWebHandler.GetExternal(&answer), S_OK);
    EXPECT_EQ(answer, nullptr) << "each window's pages have their own";
    theLoginWebHandler.Attach(nullptr);
}

}  // namespace
}  // namespace gatevane
