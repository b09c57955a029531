// The web browser host with the platform's WebBrowser control in a real window. Under Wine the
// control is created and placed, but with no engine it renders nothing: every navigation is
// announced and then fails. The host's own answers (faces, document host questions, events,
// download manager) are called here directly, as the browser would call them.
#include "toolkit/web_browser_host_win.h"

#include <windows.h>
#include <downloadmgr.h>
#include <exdispid.h>
#include <mshtmhst.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/native_server.h"
#include "toolkit/web_browser_event_handler_win.h"

namespace gatevane {
namespace {

using Microsoft::WRL::ComPtr;
using testing::PumpMessagesUntil;
using Log = std::vector<std::wstring>;

constexpr VARTYPE kVariantRef = VT_BYREF | VT_VARIANT;
constexpr VARTYPE kBoolRef = VT_BYREF | VT_BOOL;
// The download manager's service id is its interface id. (mingw's SID_SDownloadManager names the
// import library's IID_ symbol, which -static can resolve wrongly.)
const GUID kDownloadManagerService = __uuidof(IDownloadManager);

// A window's answers that log what the browser told and asked it, one line per call.
class RecordingHandler final : public CWebBrowserEventHandler {
public:
    Log calls;
    VARIANT* urlSeen = nullptr;  // where the last navigation event's address lives
    LONG status = 0;             // the last NavigateError's status code
    // How it answers: cancels navigations and new windows, gives scripts this external object,
    // or closes and releases the host, as a logon window does once its page navigates away.
    bool cancel = false;
    IDispatch* external = nullptr;
    ComPtr<WebBrowserHost>* closeOnNavigation = nullptr;

    void BeforeNavigate2(IDispatch*, VARIANT*& url, VARIANT*&, VARIANT*&, VARIANT*&, VARIANT*&,
                         VARIANT_BOOL*& cancelNavigation) override {
        Navigation(L"BeforeNavigate2", url, cancelNavigation);
        if (!closeOnNavigation) return;
        (*closeOnNavigation)->Close();
        closeOnNavigation->Reset();
    }
    void NavigateError(IDispatch*, VARIANT*& url, VARIANT*&, VARIANT*& code,
                       VARIANT_BOOL*& cancelNavigation) override {
        status = code->lVal;
        Navigation(L"NavigateError", url, cancelNavigation, status);
    }
    void NewWindow3(IDispatch**, VARIANT_BOOL*& cancelWindow, DWORD flags, BSTR context,
                    BSTR url) override {
        if (cancel) *cancelWindow = VARIANT_TRUE;
        Add(L"NewWindow3", flags, context, url);
    }
    HRESULT GetExternal(IDispatch** dispatch) override {
        if (external) external->AddRef();
        *dispatch = external;
        return S_OK;
    }
    HRESULT Download(IMoniker*, IBindCtx*, DWORD verb, LONG flags, LPCOLESTR headers,
                     LPCOLESTR redirect, UINT codePage) override {
        Add(L"Download", verb, flags, headers, redirect, codePage);
        return E_ABORT;
    }

private:
    template <typename... Values>
    void Add(const wchar_t* call, const Values&... values) {
        std::wostringstream line;
        line << call;
        ((line << L' ' << values), ...);
        calls.push_back(line.str());
    }
    template <typename... Values>
    void Navigation(const wchar_t* call, VARIANT* url, VARIANT_BOOL* cancelNavigation,
                    const Values&... values) {
        urlSeen = url;
        if (cancel && cancelNavigation) *cancelNavigation = VARIANT_TRUE;
        Add(call, url->vt == VT_BSTR && url->bstrVal ? url->bstrVal : L"?", values...);
    }
};

// The references held on an object, seen through a balanced AddRef and Release.
ULONG References(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

// One event argument. Every member of a VARIANT's value starts at the same place, so pointers
// (by reference, dispatch, string) go in as byref and numbers and flags as lVal.
VARIANTARG Arg(VARTYPE type, void* pointer) {
    VARIANTARG argument{};
    argument.vt = type;
    argument.byref = pointer;
    return argument;
}
VARIANTARG Number(VARTYPE type, LONG value) {
    VARIANTARG argument = Arg(type, nullptr);
    argument.lVal = value;
    return argument;
}

class WebBrowserHostTest : public ::testing::Test {
protected:
    void SetUp() override {  // as on the launcher's UI thread
        ASSERT_EQ(S_OK, ::OleInitialize(nullptr));
        parent_ = ::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                                    nullptr, nullptr, nullptr);
        host_ = WebBrowserHost::Create(parent_);
        ASSERT_TRUE(host_) << "the control exists under Wine, without an engine";
    }
    void TearDown() override {
        if (host_) host_->Close();
        host_.Reset();
        ::DestroyWindow(parent_);
        ::OleUninitialize();
    }

    template <typename Interface>
    ComPtr<Interface> FaceOf() {
        ComPtr<Interface> face;
        EXPECT_EQ(S_OK, host_.As(&face));
        return face;
    }
    HWND Area() const { return ::GetWindow(parent_, GW_CHILD); }
    HWND BrowserWindow() const { return ::GetWindow(Area(), GW_CHILD); }  // made in the area

    HWND parent_ = nullptr;
    ComPtr<WebBrowserHost> host_;
    RecordingHandler handler_;
};

TEST_F(WebBrowserHostTest, PlacesTheSilentBrowserInItsOwnChildAreaAndMovesShowsOrHidesIt) {
    VARIANT_BOOL silent = VARIANT_FALSE;
    ASSERT_EQ(S_OK, host_->Browser()->get_Silent(&silent));
    EXPECT_EQ(VARIANT_TRUE, silent) << "script errors must not open dialogs";
    const RECT bounds{10, 20, 310, 220}, inArea{0, 0, 300, 200};
    host_->SetBounds(bounds);
    RECT area{}, browser{}, position{}, clip{};
    ::GetWindowRect(Area(), &area);
    ::MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&area), 2);
    ::GetClientRect(BrowserWindow(), &browser);
    // What the browser asks when it activates itself in place.
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> document;
    OLEINPLACEFRAMEINFO info{sizeof info, TRUE, nullptr, nullptr, 0};
    ComPtr<IOleInPlaceSite> site = FaceOf<IOleInPlaceSite>();
    ASSERT_EQ(S_OK, site->GetWindowContext(&frame, &document, &position, &clip, &info));
    EXPECT_TRUE(::EqualRect(&bounds, &area) && ::EqualRect(&inArea, &browser) &&
                ::EqualRect(&inArea, &position) && ::EqualRect(&inArea, &clip));
    HWND window = nullptr;
    ASSERT_EQ(S_OK, frame->GetWindow(&window));
    EXPECT_TRUE(window == parent_ && info.hwndFrame == parent_) << "the top-level window frames it";
    EXPECT_EQ(E_POINTER, site->GetWindowContext(&frame, &document, nullptr, &clip, &info));
    host_->SetVisible(false);
    const bool hidden = !::IsWindowVisible(BrowserWindow());
    host_->SetVisible(true);
    EXPECT_TRUE(hidden && ::IsWindowVisible(BrowserWindow()));
}

// The launcher lets go of the host after Close; a face the browser still holds keeps it alive.
// Where no WebBrowser can be made the host fails quietly and leaves no area behind: here the class
// is registered with a closed host, which is no class factory.
TEST_F(WebBrowserHostTest, CloseGivesEveryReferenceBackAndAFailedCreateLeavesNoArea) {
    EXPECT_GT(References(host_.Get()), 1u) << "the browser holds its site";
    ComPtr<IOleInPlaceSite> site = FaceOf<IOleInPlaceSite>();
    WebBrowserHost* host = host_.Get();
    host_.Reset();
    HWND window = nullptr;
    ASSERT_EQ(S_OK, site->GetWindow(&window));
    EXPECT_EQ(Area(), window);
    host->Close();
    EXPECT_EQ(1u, References(site.Get())) << "only the face is left";
    EXPECT_EQ(nullptr, Area());
    EXPECT_TRUE(site->GetWindow(&window) == E_FAIL && site->CanInPlaceActivate() == S_FALSE);
    host->Close();
    MSG key{window, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_FALSE(host->Navigate2("about:blank") || host->TranslateAccelerator(&key));
    EXPECT_FALSE(WebBrowserHost::Create(nullptr));
    DWORD registration = 0;
    ASSERT_EQ(S_OK, ::CoRegisterClassObject(__uuidof(WebBrowser), host, CLSCTX_INPROC_SERVER,
                                            REGCLS_MULTIPLEUSE, &registration));
    EXPECT_FALSE(WebBrowserHost::Create(parent_));
    ::CoRevokeClassObject(registration);
    EXPECT_EQ(nullptr, Area());
}

// A navigation is announced in the system code page while Navigate2 runs, then fails quietly with
// the browser's own error event.
TEST_F(WebBrowserHostTest, NavigationIsAnnouncedInTheSystemCodePageThenFailsQuietly) {
    ASSERT_EQ(936u, ::GetACP()) << "the players' code page (GBK)";
    host_->SetEventHandler(&handler_);
    EXPECT_FALSE(host_->Navigate2(nullptr));
    ASSERT_TRUE(host_->Navigate2("about:blank#\xB9\xE3\xB8\xE6"));  // "advertisement"
    EXPECT_EQ(L"BeforeNavigate2 about:blank#\x5E7F\x544A",
              handler_.calls.empty() ? L"" : handler_.calls[0]);
    ASSERT_TRUE(PumpMessagesUntil(5000, [this] { return handler_.status != 0; }));
    EXPECT_LT(handler_.status, 0) << "a failure code";
}

TEST_F(WebBrowserHostTest, AHandlerMayCloseAndReleaseTheHostDuringAnEvent) {
    handler_.closeOnNavigation = std::addressof(host_);  // (ComPtr's & releases it)
    host_->SetEventHandler(&handler_);
    host_->Navigate2("about:blank");
    EXPECT_TRUE(!host_ && !Area());
    PumpMessagesUntil(500, [] { return false; });
}

// The browser asks any face for any other and compares identities: each face answers for the host.
TEST_F(WebBrowserHostTest, EveryFaceIsTheSameObjectAndRefusesWhatTheHostHasNot) {
    ComPtr<IUnknown> identity;
    ASSERT_EQ(S_OK, host_.As(&identity));
    for (const IID& iid :
         {__uuidof(IOleClientSite), __uuidof(IOleWindow), __uuidof(IOleInPlaceSite),
          __uuidof(IOleInPlaceUIWindow), __uuidof(IOleInPlaceFrame), __uuidof(IDocHostUIHandler),
          __uuidof(IServiceProvider), __uuidof(IDownloadManager), __uuidof(IDispatch),
          __uuidof(DWebBrowserEvents2)}) {
        ComPtr<IUnknown> face, faceIdentity;
        ASSERT_EQ(S_OK, host_->QueryInterface(iid, &face));
        ASSERT_EQ(S_OK, face.As(&faceIdentity));
        EXPECT_EQ(identity.Get(), faceIdentity.Get());
    }
    ComPtr<IServiceProvider> services = FaceOf<IServiceProvider>();
    const ULONG before = References(host_.Get());
    void *object = &object, *service = &service;
    EXPECT_EQ(E_NOINTERFACE, services->QueryInterface(__uuidof(IOleControlSite), &object));
    EXPECT_EQ(E_NOINTERFACE,
              services->QueryService(__uuidof(IWebBrowser2), __uuidof(IWebBrowser2), &service));
    EXPECT_TRUE(!object && !service) << "a refusal empties the output";
    EXPECT_EQ(E_POINTER, services->QueryInterface(__uuidof(IUnknown), nullptr));
    EXPECT_EQ(before, References(host_.Get())) << "a refusal adds no reference";
}

// The handler answers the document host's questions until it is detached; then the defaults
// leave the browser to behave as on its own.
TEST_F(WebBrowserHostTest, TheHandlerAnswersTheBrowserUntilDetachedThenTheDefaultsDo) {
    // The script's external object is a real one: the browser's own automation object.
    handler_.external = host_->Browser();
    host_->SetEventHandler(&handler_);
    ComPtr<IDocHostUIHandler> host = FaceOf<IDocHostUIHandler>();
    // The download manager is found as a service of the site.
    ComPtr<IDownloadManager> downloads;
    ASSERT_EQ(S_OK, FaceOf<IServiceProvider>()->QueryService(kDownloadManagerService,
                                                             IID_PPV_ARGS(&downloads)));
    ComPtr<IDispatch> external;
    ASSERT_EQ(S_OK, host->GetExternal(&external));
    EXPECT_EQ(static_cast<IDispatch*>(host_->Browser()), external.Get());
    EXPECT_EQ(E_ABORT, downloads->Download(nullptr, nullptr, BINDVERB_POST, 0x40, nullptr,
                                           L"Accept: */*", L"http://127.0.0.1/setup.exe", 936));
    const Log heard{L"Download 1 64 Accept: */* http://127.0.0.1/setup.exe 936"};
    EXPECT_EQ(heard, handler_.calls);
    EXPECT_EQ(E_POINTER, host->GetExternal(nullptr)) << "no room for the answer: not forwarded";
    // Detached: no download dialog, and an output emptied even when it held something.
    host_->SetEventHandler(nullptr);
    EXPECT_EQ(S_OK, downloads->Download(nullptr, nullptr, BINDVERB_GET, 0, nullptr, L"", L"", 0));
    void* out = &out;
    EXPECT_TRUE(host->GetExternal(reinterpret_cast<IDispatch**>(&out)) == S_OK && !out);
    EXPECT_EQ(heard, handler_.calls) << "a detached handler hears nothing more";
}

// Each event's arguments are checked before any is touched; a handler sees only well-shaped ones.
TEST_F(WebBrowserHostTest, EventsAreCheckedThenReachTheHandlerInDeclaredOrder) {
    handler_.cancel = true;
    host_->SetEventHandler(&handler_);
    ComPtr<IDispatch> sink = FaceOf<IDispatch>();
    auto invoke = [&sink](DISPID id, DISPPARAMS* params, REFIID iid = IID_NULL) {
        return sink->Invoke(id, iid, LOCALE_USER_DEFAULT, DISPATCH_METHOD, params, nullptr, nullptr,
                            nullptr);
    };
    // Fired as the browser does: the arguments, listed first to last, are passed last first.
    auto fire = [&invoke](DISPID id, std::vector<VARIANTARG> arguments) {
        std::reverse(arguments.begin(), arguments.end());
        DISPPARAMS params{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
        return invoke(id, &params);
    };
    // The browser's own variables, which the events point at.
    BSTR ad = ::SysAllocString(L"ad.html");
    BSTR popup = ::SysAllocString(L"popup.html");
    VARIANT url = Arg(VT_BSTR, ad);
    VARIANT status = Number(VT_I4, 404);
    VARIANT empty{};
    VARIANT_BOOL cancel = VARIANT_FALSE;
    IDispatch* newBrowser = nullptr;
    const VARIANTARG browser = Arg(VT_DISPATCH, host_->Browser());
    const VARIANTARG urlRef = Arg(kVariantRef, &url);
    const VARIANTARG emptyRef = Arg(kVariantRef, &empty);
    const VARIANTARG cancelRef = Arg(kBoolRef, &cancel);
    const std::vector<VARIANTARG> beforeNavigate2{browser,  urlRef,   emptyRef, emptyRef,
                                                  emptyRef, emptyRef, cancelRef};
    const std::vector<VARIANTARG> noCancel(beforeNavigate2.begin(), beforeNavigate2.end() - 1);
    auto newWindow = [&](VARIANTARG flags) {
        return std::vector<VARIANTARG>{Arg(VT_BYREF | VT_DISPATCH, &newBrowser), cancelRef, flags,
                                       Arg(VT_BSTR, ad), Arg(VT_BSTR, popup)};
    };
    const struct {
        DISPID id;
        HRESULT result;
        std::wstring heard;  // empty: refused, and the cancel stays untouched
        std::vector<VARIANTARG> arguments;
    } events[] = {
        {DISPID_BEFORENAVIGATE2, S_OK, L"BeforeNavigate2 ad.html", beforeNavigate2},
        {DISPID_NAVIGATEERROR,
         S_OK,
         L"NavigateError ad.html 404",
         {browser, urlRef, emptyRef, Arg(kVariantRef, &status), cancelRef}},
        // The flags are declared unsigned but may arrive signed.
        {DISPID_NEWWINDOW3, S_OK, L"NewWindow3 2 ad.html popup.html",
         newWindow(Number(VT_I4, NWMF_USERINITED))},
        {DISPID_NEWWINDOW3, S_OK, L"NewWindow3 2147483648 ad.html popup.html",
         newWindow(Number(VT_UI4, LONG_MIN))},
        {DISPID_BEFORENAVIGATE2, DISP_E_BADPARAMCOUNT, L"", noCancel},
        {DISPID_NAVIGATECOMPLETE2, DISP_E_BADPARAMCOUNT, L"", {browser, urlRef, urlRef}},
        {DISPID_NAVIGATECOMPLETE2, DISP_E_TYPEMISMATCH, L"", {urlRef, browser}},
        {DISPID_NAVIGATECOMPLETE2, DISP_E_TYPEMISMATCH, L"", {browser, Arg(kVariantRef, nullptr)}},
        {DISPID_COMMANDSTATECHANGE, DISP_E_TYPEMISMATCH, L"", {Number(VT_I4, 1), Number(VT_I4, 1)}},
        {DISPID_DOCUMENTCOMPLETE, DISP_E_MEMBERNOTFOUND, L"", {browser, urlRef}},
    };
    for (const auto& event : events) {
        SCOPED_TRACE(::testing::Message() << "row " << &event - events);
        handler_.calls.clear();
        cancel = VARIANT_FALSE;
        EXPECT_EQ(event.result, fire(event.id, event.arguments));
        EXPECT_EQ(event.heard.empty() ? Log{} : Log{event.heard}, handler_.calls);
        EXPECT_EQ(!event.heard.empty(), cancel == VARIANT_TRUE) << "the cancel reaches the browser";
    }
    EXPECT_EQ(&url, handler_.urlSeen) << "the browser's own variable, which a handler may change";
    // Calls no browser makes.
    EXPECT_EQ(E_POINTER, invoke(DISPID_PROGRESSCHANGE, nullptr));
    DISPPARAMS noArray{nullptr, nullptr, 2, 0};
    EXPECT_EQ(E_POINTER, invoke(DISPID_PROGRESSCHANGE, &noArray));
    VARIANTARG progress[] = {Number(VT_I4, 1), Number(VT_I4, 2)};
    DISPPARAMS wellShaped{progress, nullptr, 2, 0};
    EXPECT_EQ(DISP_E_UNKNOWNINTERFACE,
              invoke(DISPID_PROGRESSCHANGE, &wellShaped, __uuidof(IDispatch)));
    // Without a handler events are accepted and dropped.
    host_->SetEventHandler(nullptr);
    EXPECT_TRUE(fire(DISPID_BEFORENAVIGATE2, beforeNavigate2) == S_OK && cancel == VARIANT_FALSE);
    EXPECT_TRUE(handler_.calls.empty()) << "nothing misshapen reached a handler";
    ::SysFreeString(ad);
    ::SysFreeString(popup);
}

}  // namespace
}  // namespace gatevane
