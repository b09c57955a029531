// The web browser host with the platform's WebBrowser control in a real window. Under Wine the
// control is created and placed, but with no engine it renders nothing: every navigation is
// announced and then fails. The host's own answers (faces, document host questions, events,
// download manager) are called here directly, as the browser would call them.
#include "toolkit/web_browser_host.h"

#include <windows.h>
#include <downloadmgr.h>
#include <exdispid.h>
#include <mshtmhst.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/native_server.h"
#include "toolkit/web_browser_event_handler.h"

namespace gatevane {
namespace {

using Microsoft::WRL::ComPtr;
using testing::PumpMessagesUntil;

constexpr int kEventWait = 5000;
// The download manager's service id is its interface id. (mingw's SID_SDownloadManager names the
// import library's IID_ symbol, which -static can resolve wrongly.)
const GUID kDownloadManagerService = __uuidof(IDownloadManager);

std::wstring Text(const VARIANT* value) {
    return value && value->vt == VT_BSTR && value->bstrVal ? value->bstrVal : L"";
}

// A window's answers that remember what the browser told and asked it.
class RecordingHandler final : public CWebBrowserEventHandler {
public:
    std::vector<std::string> calls;
    // What the events carried.
    std::wstring url;
    VARIANT* urlSeen = nullptr;
    VARIANT_BOOL* cancelSeen = nullptr;
    LONG statusCode = 0;
    LONG progress = -1;
    LONG progressMax = -1;
    DWORD newWindowFlags = 0;
    std::wstring urlContext;
    long command = -1;
    VARIANT_BOOL enable = VARIANT_FALSE;
    DWORD contextMenuId = 0;
    const MSG* keySeen = nullptr;
    DWORD bindVerb = 0;
    LONG bindFlags = 0;
    std::wstring headers;
    std::wstring redirect;
    UINT codePage = 0;
    // How it answers.
    bool cancel = false;
    IDispatch* external = nullptr;

    void BeforeNavigate2(IDispatch*, VARIANT*& target, VARIANT*&, VARIANT*&, VARIANT*&, VARIANT*&,
                         VARIANT_BOOL*& cancelNavigation) override {
        Record("BeforeNavigate2", target, cancelNavigation);
    }
    void NavigateError(IDispatch*, VARIANT*& target, VARIANT*&, VARIANT*& status,
                       VARIANT_BOOL*& cancelNavigation) override {
        Record("NavigateError", target, cancelNavigation);
        statusCode = status->lVal;
    }
    void NavigateComplete2(IDispatch*, VARIANT*& target) override {
        calls.push_back("NavigateComplete2");
        url = Text(target);
    }
    void ProgressChange(LONG now, LONG most) override {
        calls.push_back("ProgressChange");
        progress = now;
        progressMax = most;
    }
    void NewWindow3(IDispatch**, VARIANT_BOOL*& cancelWindow, DWORD flags, BSTR context,
                    BSTR target) override {
        calls.push_back("NewWindow3");
        if (cancel) *cancelWindow = VARIANT_TRUE;
        newWindowFlags = flags;
        urlContext = context;
        url = target;
    }
    void CommandStateChange(long id, VARIANT_BOOL enabled) override {
        calls.push_back("CommandStateChange");
        command = id;
        enable = enabled;
    }

    HRESULT ShowContextMenu(DWORD id, POINT*, IUnknown*, IDispatch*) override {
        calls.push_back("ShowContextMenu");
        contextMenuId = id;
        return S_OK;
    }
    HRESULT GetHostInfo(DOCHOSTUIINFO* info) override {
        calls.push_back("GetHostInfo");
        info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
        return S_OK;
    }
    HRESULT TranslateAccelerator(LPMSG message, const GUID*, DWORD) override {
        calls.push_back("TranslateAccelerator");
        keySeen = message;
        return S_OK;
    }
    HRESULT GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override {
        calls.push_back("GetOptionKeyPath");
        return CWebBrowserEventHandler::GetOptionKeyPath(key, reserved);
    }
    HRESULT GetDropTarget(IDropTarget* browserTarget, IDropTarget** hostTarget) override {
        calls.push_back("GetDropTarget");
        return CWebBrowserEventHandler::GetDropTarget(browserTarget, hostTarget);
    }
    HRESULT GetExternal(IDispatch** dispatch) override {
        calls.push_back("GetExternal");
        *dispatch = external;
        if (external) external->AddRef();
        return S_OK;
    }
    HRESULT TranslateUrl(DWORD translate, LPWSTR in, LPWSTR* out) override {
        calls.push_back("TranslateUrl");
        return CWebBrowserEventHandler::TranslateUrl(translate, in, out);
    }
    HRESULT FilterDataObject(IDataObject* object, IDataObject** filtered) override {
        calls.push_back("FilterDataObject");
        return CWebBrowserEventHandler::FilterDataObject(object, filtered);
    }
    HRESULT Download(IMoniker*, IBindCtx*, DWORD verb, LONG flags, LPCOLESTR requestHeaders,
                     LPCOLESTR redirectUrl, UINT page) override {
        calls.push_back("Download");
        bindVerb = verb;
        bindFlags = flags;
        headers = requestHeaders;
        redirect = redirectUrl;
        codePage = page;
        return E_ABORT;
    }

    int Count(const std::string& call) const {
        return static_cast<int>(std::count(calls.begin(), calls.end(), call));
    }

private:
    void Record(const char* call, VARIANT* target, VARIANT_BOOL* cancelNavigation) {
        calls.push_back(call);
        url = Text(target);
        urlSeen = target;
        cancelSeen = cancelNavigation;
        if (cancel) *cancelNavigation = VARIANT_TRUE;
    }
};

struct DialogSearch {
    DWORD process;
    int dialogs;
};

BOOL CALLBACK CountDialog(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<DialogSearch*>(lParam);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    char className[16] = {};
    ::GetClassNameA(window, className, sizeof className);
    if (process == search->process && ::IsWindowVisible(window) &&
        std::string(className) == "#32770") {
        ++search->dialogs;
    }
    return TRUE;
}

// Visible dialog boxes of this process: nothing the host does may show one.
int VisibleDialogs() {
    DialogSearch search{::GetCurrentProcessId(), 0};
    ::EnumWindows(CountDialog, reinterpret_cast<LPARAM>(&search));
    return search.dialogs;
}

HWND MakeTopLevelWindow(DWORD visibility) {
    return ::CreateWindowExA(0, "STATIC", "web browser host test",
                             WS_POPUP | WS_CLIPCHILDREN | visibility, 0, 0, 640, 480, nullptr,
                             nullptr, nullptr, nullptr);
}

// The references an object holds on to, seen through a balanced AddRef and Release.
ULONG References(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

// The launcher's UI thread runs with OLE initialized; so does this program's one thread.
class OleEnvironment final : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(S_OK, ::OleInitialize(nullptr)); }
    void TearDown() override { ::OleUninitialize(); }
};
::testing::Environment* const ole = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

class WebBrowserHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent_ = MakeTopLevelWindow(WS_VISIBLE);
        ASSERT_NE(nullptr, parent_);
        host_ = WebBrowserHost::Create(parent_);
        ASSERT_TRUE(host_) << "the control exists under Wine, without an engine";
    }
    void TearDown() override {
        if (host_) host_->Close();
        host_.Reset();
        if (parent_) ::DestroyWindow(parent_);
    }

    template <typename Interface>
    ComPtr<Interface> FaceOf() {
        ComPtr<Interface> face;
        EXPECT_EQ(S_OK, host_.As(&face));
        return face;
    }
    HWND Area() const { return ::GetWindow(parent_, GW_CHILD); }
    // The window the browser made for itself in the area.
    HWND BrowserWindow() {
        ComPtr<IOleInPlaceObject> inPlace;
        HWND window = nullptr;
        if (SUCCEEDED(host_->Browser()->QueryInterface(IID_PPV_ARGS(&inPlace)))) {
            inPlace->GetWindow(&window);
        }
        return window;
    }

    HWND parent_ = nullptr;
    ComPtr<WebBrowserHost> host_;
    RecordingHandler handler_;
};

// --- Creation, placement, Close ---

TEST_F(WebBrowserHostTest, PutsTheBrowserInPlaceInsideItsOwnChildArea) {
    ASSERT_NE(nullptr, host_->Browser());
    const HWND area = Area();
    ASSERT_NE(nullptr, area);
    EXPECT_EQ(nullptr, ::GetWindow(area, GW_HWNDNEXT)) << "one child area, nothing else";
    const HWND browserWindow = BrowserWindow();
    ASSERT_NE(nullptr, browserWindow);
    EXPECT_TRUE(::IsChild(area, browserWindow));
    VARIANT_BOOL silent = VARIANT_FALSE;
    ASSERT_EQ(S_OK, host_->Browser()->get_Silent(&silent));
    EXPECT_EQ(VARIANT_TRUE, silent) << "script errors must not open dialogs";
}

TEST_F(WebBrowserHostTest, SetBoundsMovesTheAreaAndSizesTheBrowserToIt) {
    host_->SetBounds(RECT{10, 20, 310, 220});
    RECT area{};
    ::GetWindowRect(Area(), &area);
    ::MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&area), 2);
    EXPECT_EQ(10, area.left);
    EXPECT_EQ(20, area.top);
    EXPECT_EQ(310, area.right);
    EXPECT_EQ(220, area.bottom);
    RECT browser{};
    ::GetClientRect(BrowserWindow(), &browser);
    EXPECT_EQ(300, browser.right);
    EXPECT_EQ(200, browser.bottom);

    // A rectangle turned inside out leaves an empty area rather than a negative size.
    host_->SetBounds(RECT{50, 50, 40, 30});
    ::GetClientRect(Area(), &area);
    EXPECT_EQ(0, area.right);
    EXPECT_EQ(0, area.bottom);
}

TEST_F(WebBrowserHostTest, SetVisibleShowsAndHidesTheArea) {
    host_->SetBounds(RECT{0, 0, 200, 100});
    EXPECT_TRUE(::IsWindowVisible(BrowserWindow()));
    host_->SetVisible(false);
    EXPECT_FALSE(::IsWindowVisible(Area()));
    EXPECT_FALSE(::IsWindowVisible(BrowserWindow()));
    host_->SetVisible(true);
    EXPECT_TRUE(::IsWindowVisible(BrowserWindow()));
}

TEST_F(WebBrowserHostTest, TellsTheBrowserItsAreaAndFrame) {
    host_->SetBounds(RECT{5, 5, 125, 85});
    ComPtr<IOleInPlaceSite> site = FaceOf<IOleInPlaceSite>();
    HWND window = nullptr;
    ASSERT_EQ(S_OK, site->GetWindow(&window));
    EXPECT_EQ(Area(), window);

    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> document;
    RECT position{};
    RECT clip{};
    OLEINPLACEFRAMEINFO info{};
    info.cb = sizeof info;
    ASSERT_EQ(S_OK, site->GetWindowContext(&frame, &document, &position, &clip, &info));
    EXPECT_EQ(FaceOf<IOleInPlaceFrame>().Get(), frame.Get());
    EXPECT_EQ(nullptr, document.Get());
    EXPECT_EQ(120, position.right - position.left);
    EXPECT_EQ(80, position.bottom - position.top);
    EXPECT_TRUE(::EqualRect(&position, &clip));
    EXPECT_EQ(parent_, info.hwndFrame);
    EXPECT_EQ(nullptr, info.haccel);
    ASSERT_EQ(S_OK, frame->GetWindow(&window));
    EXPECT_EQ(parent_, window);

    EXPECT_EQ(E_POINTER, site->GetWindowContext(&frame, &document, nullptr, &clip, &info));
}

TEST_F(WebBrowserHostTest, CloseReleasesEverythingAndMayBeRepeated) {
    EXPECT_GT(References(host_.Get()), 1u) << "the browser holds its site";
    host_->Close();
    EXPECT_EQ(1u, References(host_.Get())) << "every reference the browser took is given back";
    EXPECT_EQ(nullptr, host_->Browser());
    EXPECT_EQ(nullptr, Area());

    host_->Close();
    EXPECT_FALSE(host_->Navigate2("about:blank"));
    MSG key{Area(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_FALSE(host_->TranslateAccelerator(&key));
    host_->SetBounds(RECT{0, 0, 10, 10});
    host_->SetVisible(true);
    EXPECT_EQ(nullptr, Area());
    EXPECT_EQ(S_FALSE, FaceOf<IOleInPlaceSite>()->CanInPlaceActivate());
}

TEST_F(WebBrowserHostTest, AFaceKeepsTheHostAlive) {
    ComPtr<IOleInPlaceSite> site = FaceOf<IOleInPlaceSite>();
    WebBrowserHost* host = host_.Get();
    host_.Reset();
    HWND window = nullptr;
    ASSERT_EQ(S_OK, site->GetWindow(&window));
    EXPECT_TRUE(::IsWindow(window));
    host->Close();
    EXPECT_EQ(1u, References(site.Get())) << "only the face is left";
    EXPECT_EQ(E_FAIL, site->GetWindow(&window));
}

// (Without an engine the browser takes no key at all, so only the message loop's edge case is
// checked here.)
TEST_F(WebBrowserHostTest, TranslateAcceleratorWithoutAMessageTakesNothing) {
    EXPECT_FALSE(host_->TranslateAccelerator(nullptr));
}

// --- Failing quietly ---

TEST(WebBrowserHostCreate, FailsQuietlyWithoutAParentWindow) {
    EXPECT_FALSE(WebBrowserHost::Create(nullptr));
    const HWND gone = MakeTopLevelWindow(0);
    ::DestroyWindow(gone);
    EXPECT_FALSE(WebBrowserHost::Create(gone));
    EXPECT_EQ(0, VisibleDialogs());
}

// Stands where the platform's WebBrowser class is registered, as on a machine whose browser
// cannot be made: asking for one fails. It lives on the test's stack, so it counts no references.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class RefusingFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid != __uuidof(IUnknown) && iid != __uuidof(IClassFactory)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** object) override {
        *object = nullptr;
        ++requests;
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

    int requests = 0;
};
#pragma GCC diagnostic pop

// The child area is made before the browser: when the browser cannot be made, the area goes too.
TEST_F(WebBrowserHostTest, FailsQuietlyWhenTheBrowserCannotBeMadeAndLeavesNoArea) {
    host_->Close();
    RefusingFactory factory;
    DWORD registration = 0;
    ASSERT_EQ(S_OK, ::CoRegisterClassObject(__uuidof(WebBrowser), &factory, CLSCTX_INPROC_SERVER,
                                            REGCLS_MULTIPLEUSE, &registration));
    EXPECT_FALSE(WebBrowserHost::Create(parent_));
    ::CoRevokeClassObject(registration);
    EXPECT_EQ(1, factory.requests);
    EXPECT_EQ(nullptr, Area());
    EXPECT_EQ(0, VisibleDialogs());
}

// --- Navigation without an engine ---

TEST_F(WebBrowserHostTest, NavigationIsAnnouncedThenFailsWithoutAnEngine) {
    host_->SetEventHandler(&handler_);
    const DWORD start = ::GetTickCount();
    ASSERT_TRUE(host_->Navigate2("about:blank"));
    EXPECT_LT(::GetTickCount() - start, 5000u);
    EXPECT_EQ(1, handler_.Count("BeforeNavigate2")) << "announced while Navigate2 runs";
    EXPECT_EQ(L"about:blank", handler_.url);

    ASSERT_TRUE(PumpMessagesUntil(kEventWait, [this] { return handler_.Count("NavigateError"); }));
    EXPECT_EQ(L"about:blank", handler_.url);
    EXPECT_LT(handler_.statusCode, 0) << "a failure code";
    PumpMessagesUntil(500, [] { return false; });
    EXPECT_EQ(0, handler_.Count("NavigateComplete2"));
    ComPtr<IDispatch> document;
    host_->Browser()->get_Document(&document);
    EXPECT_EQ(nullptr, document.Get());
    EXPECT_EQ(0, VisibleDialogs());
}

TEST_F(WebBrowserHostTest, Navigate2ReadsTheUrlInTheSystemCodePage) {
    ASSERT_EQ(936u, ::GetACP()) << "the players' code page (GBK)";
    host_->SetEventHandler(&handler_);
    ASSERT_TRUE(host_->Navigate2("about:blank#\xB9\xE3\xB8\xE6"));  // "advertisement"
    EXPECT_EQ(L"about:blank#\x5E7F\x544A", handler_.url);
    EXPECT_FALSE(host_->Navigate2(nullptr));
}

TEST_F(WebBrowserHostTest, AHandlerThatCancelsStopsTheNavigation) {
    handler_.cancel = true;
    host_->SetEventHandler(&handler_);
    ASSERT_TRUE(host_->Navigate2("about:blank"));
    EXPECT_EQ(1, handler_.Count("BeforeNavigate2"));
    PumpMessagesUntil(1000, [] { return false; });
    EXPECT_EQ(0, handler_.Count("NavigateError")) << "nothing was tried";
}

// A window that closes as soon as its page starts to change, as a logon window does once the
// logon page navigates away.
class ClosingHandler final : public CWebBrowserEventHandler {
public:
    explicit ClosingHandler(ComPtr<WebBrowserHost>& host) : host_(host) {}
    void BeforeNavigate2(IDispatch*, VARIANT*&, VARIANT*&, VARIANT*&, VARIANT*&, VARIANT*&,
                         VARIANT_BOOL*&) override {
        host_->Close();
        host_.Reset();
    }

private:
    ComPtr<WebBrowserHost>& host_;
};

TEST_F(WebBrowserHostTest, AHandlerMayCloseAndReleaseTheHostDuringAnEvent) {
    ClosingHandler closing(host_);
    host_->SetEventHandler(&closing);
    WebBrowserHost* host = host_.Get();
    host->Navigate2("about:blank");
    EXPECT_FALSE(host_);
    EXPECT_EQ(nullptr, Area());
    PumpMessagesUntil(500, [] { return false; });
}

// --- One object, many faces ---

const IID kFaces[] = {__uuidof(IOleClientSite),   __uuidof(IOleWindow),
                      __uuidof(IOleInPlaceSite),  __uuidof(IOleInPlaceUIWindow),
                      __uuidof(IOleInPlaceFrame), __uuidof(IDocHostUIHandler),
                      __uuidof(IServiceProvider), __uuidof(IDownloadManager),
                      __uuidof(IDispatch),        __uuidof(DWebBrowserEvents2)};

TEST_F(WebBrowserHostTest, EveryFaceIsTheSameObject) {
    ComPtr<IUnknown> identity;
    ASSERT_EQ(S_OK, host_.As(&identity));
    for (const IID& iid : kFaces) {
        ComPtr<IUnknown> face;
        ASSERT_EQ(S_OK, host_->QueryInterface(iid, &face));
        ComPtr<IUnknown> faceIdentity;
        ASSERT_EQ(S_OK, face.As(&faceIdentity));
        EXPECT_EQ(identity.Get(), faceIdentity.Get());
        // Every face reaches every other face, and the same one the host gives.
        for (const IID& other : kFaces) {
            ComPtr<IUnknown> fromFace;
            ComPtr<IUnknown> fromHost;
            ASSERT_EQ(S_OK, face->QueryInterface(other, &fromFace));
            ASSERT_EQ(S_OK, host_->QueryInterface(other, &fromHost));
            EXPECT_EQ(fromHost.Get(), fromFace.Get());
        }
    }
}

TEST_F(WebBrowserHostTest, RefusesInterfacesItDoesNotHave) {
    ComPtr<IOleInPlaceSite> site = FaceOf<IOleInPlaceSite>();
    const ULONG before = References(host_.Get());
    for (const IID& iid : {__uuidof(IOleControlSite), __uuidof(IOleCommandTarget),
                           __uuidof(IOleInPlaceSiteEx), __uuidof(IWebBrowser2)}) {
        void* object = &object;
        EXPECT_EQ(E_NOINTERFACE, site->QueryInterface(iid, &object));
        EXPECT_EQ(nullptr, object);
    }
    EXPECT_EQ(E_POINTER, site->QueryInterface(__uuidof(IUnknown), nullptr));
    EXPECT_EQ(before, References(host_.Get())) << "a refusal adds no reference";
}

// --- The document host's questions ---

void ExpectDefaultAnswers(IDocHostUIHandler* documentHost) {
    POINT point{1, 2};
    EXPECT_EQ(E_NOTIMPL,
              documentHost->ShowContextMenu(CONTEXT_MENU_DEFAULT, &point, nullptr, nullptr));
    DOCHOSTUIINFO info{};
    info.cbSize = sizeof info;
    info.dwFlags = DOCHOSTUIFLAG_SCROLL_NO;
    EXPECT_EQ(S_OK, documentHost->GetHostInfo(&info));
    EXPECT_EQ(static_cast<DWORD>(DOCHOSTUIFLAG_SCROLL_NO), info.dwFlags);
    EXPECT_EQ(S_FALSE,
              documentHost->ShowUI(DOCHOSTUITYPE_BROWSE, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(S_OK, documentHost->HideUI());
    EXPECT_EQ(S_OK, documentHost->UpdateUI());
    EXPECT_EQ(S_OK, documentHost->EnableModeless(TRUE));
    EXPECT_EQ(S_OK, documentHost->OnDocWindowActivate(TRUE));
    EXPECT_EQ(S_OK, documentHost->OnFrameWindowActivate(FALSE));
    RECT border{0, 0, 10, 10};
    EXPECT_EQ(S_OK, documentHost->ResizeBorder(&border, nullptr, TRUE));
    MSG key{nullptr, WM_KEYDOWN, VK_F5, 0, 0, {}};
    EXPECT_EQ(S_FALSE, documentHost->TranslateAccelerator(&key, nullptr, 0));

    // Outputs come back empty even when they held something.
    LPOLESTR optionKey = const_cast<LPOLESTR>(L"left over");
    EXPECT_EQ(S_OK, documentHost->GetOptionKeyPath(&optionKey, 0));
    EXPECT_EQ(nullptr, optionKey);
    IDropTarget* dropTarget = reinterpret_cast<IDropTarget*>(&border);
    EXPECT_EQ(E_NOTIMPL, documentHost->GetDropTarget(nullptr, &dropTarget));
    EXPECT_EQ(nullptr, dropTarget);
    IDispatch* external = reinterpret_cast<IDispatch*>(&border);
    EXPECT_EQ(S_OK, documentHost->GetExternal(&external));
    EXPECT_EQ(nullptr, external);
    LPWSTR translated = const_cast<LPWSTR>(L"left over");
    EXPECT_EQ(S_OK,
              documentHost->TranslateUrl(0, const_cast<LPWSTR>(L"http://127.0.0.1/"), &translated));
    EXPECT_EQ(nullptr, translated);
    IDataObject* filtered = reinterpret_cast<IDataObject*>(&border);
    EXPECT_EQ(S_OK, documentHost->FilterDataObject(nullptr, &filtered));
    EXPECT_EQ(nullptr, filtered);
}

TEST_F(WebBrowserHostTest, WithoutAHandlerTheBrowserGetsTheDefaultAnswers) {
    ExpectDefaultAnswers(FaceOf<IDocHostUIHandler>().Get());
}

TEST_F(WebBrowserHostTest, AHandlerThatOverridesNothingAnswersAsNoHandler) {
    CWebBrowserEventHandler plain;
    host_->SetEventHandler(&plain);
    ExpectDefaultAnswers(FaceOf<IDocHostUIHandler>().Get());
}

TEST_F(WebBrowserHostTest, TheHandlersAnswersReachTheBrowser) {
    // The script's external object is a real one: the browser's own automation object.
    handler_.external = host_->Browser();
    host_->SetEventHandler(&handler_);
    ComPtr<IDocHostUIHandler> documentHost = FaceOf<IDocHostUIHandler>();

    ComPtr<IDispatch> external;
    ASSERT_EQ(S_OK, documentHost->GetExternal(&external));
    EXPECT_EQ(static_cast<IDispatch*>(host_->Browser()), external.Get());

    POINT point{3, 4};
    EXPECT_EQ(S_OK,
              documentHost->ShowContextMenu(CONTEXT_MENU_TEXTSELECT, &point, nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(CONTEXT_MENU_TEXTSELECT), handler_.contextMenuId);

    DOCHOSTUIINFO info{};
    info.cbSize = sizeof info;
    EXPECT_EQ(S_OK, documentHost->GetHostInfo(&info));
    EXPECT_EQ(static_cast<DWORD>(DOCHOSTUIFLAG_NO3DBORDER), info.dwFlags);

    MSG key{nullptr, WM_KEYDOWN, VK_F5, 0, 0, {}};
    EXPECT_EQ(S_OK, documentHost->TranslateAccelerator(&key, nullptr, 0));
    EXPECT_EQ(&key, handler_.keySeen);

    // Detached, the handler hears nothing more.
    host_->SetEventHandler(nullptr);
    handler_.calls.clear();
    EXPECT_EQ(S_FALSE, documentHost->TranslateAccelerator(&key, nullptr, 0));
    EXPECT_TRUE(handler_.calls.empty());
}

TEST_F(WebBrowserHostTest, QuestionsWithoutARoomForTheAnswerAreRefused) {
    host_->SetEventHandler(&handler_);
    ComPtr<IDocHostUIHandler> documentHost = FaceOf<IDocHostUIHandler>();
    EXPECT_EQ(E_POINTER, documentHost->GetHostInfo(nullptr));
    EXPECT_EQ(E_POINTER, documentHost->GetOptionKeyPath(nullptr, 0));
    EXPECT_EQ(E_POINTER, documentHost->GetDropTarget(nullptr, nullptr));
    EXPECT_EQ(E_POINTER, documentHost->GetExternal(nullptr));
    EXPECT_EQ(E_POINTER, documentHost->TranslateUrl(0, nullptr, nullptr));
    EXPECT_EQ(E_POINTER, documentHost->FilterDataObject(nullptr, nullptr));
    EXPECT_TRUE(handler_.calls.empty());
}

// --- The download manager, found as a service ---

TEST_F(WebBrowserHostTest, TheDownloadManagerServiceAsksTheHandler) {
    ComPtr<IServiceProvider> services = FaceOf<IServiceProvider>();
    ComPtr<IDownloadManager> downloads;
    ASSERT_EQ(S_OK, services->QueryService(kDownloadManagerService, IID_PPV_ARGS(&downloads)));
    EXPECT_EQ(FaceOf<IDownloadManager>().Get(), downloads.Get());

    EXPECT_EQ(S_OK, downloads->Download(nullptr, nullptr, BINDVERB_GET, 0, nullptr, L"", L"", 0))
        << "without a handler the download counts as taken care of";

    host_->SetEventHandler(&handler_);
    EXPECT_EQ(E_ABORT, downloads->Download(nullptr, nullptr, BINDVERB_POST, 0x40, nullptr,
                                           L"Accept: */*", L"http://127.0.0.1/setup.exe", 936));
    ASSERT_EQ(1, handler_.Count("Download"));
    EXPECT_EQ(static_cast<DWORD>(BINDVERB_POST), handler_.bindVerb);
    EXPECT_EQ(0x40, handler_.bindFlags);
    EXPECT_EQ(L"Accept: */*", handler_.headers);
    EXPECT_EQ(L"http://127.0.0.1/setup.exe", handler_.redirect);
    EXPECT_EQ(936u, handler_.codePage);
}

TEST_F(WebBrowserHostTest, OtherServicesAreRefused) {
    ComPtr<IServiceProvider> services = FaceOf<IServiceProvider>();
    void* object = &object;
    EXPECT_EQ(E_NOINTERFACE,
              services->QueryService(__uuidof(IWebBrowser2), __uuidof(IWebBrowser2), &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(E_POINTER,
              services->QueryService(kDownloadManagerService, __uuidof(IUnknown), nullptr));
}

// --- The event sink ---

// Hand-made event arguments, listed first to last and passed last first as the browser does.
class Event {
public:
    Event& Dispatch(IDispatch* value) {
        Add(VT_DISPATCH).pdispVal = value;
        return *this;
    }
    Event& DispatchRef(IDispatch** value) {
        Add(VT_BYREF | VT_DISPATCH).ppdispVal = value;
        return *this;
    }
    Event& VariantRef(VARIANT* value) {
        Add(VT_BYREF | VT_VARIANT).pvarVal = value;
        return *this;
    }
    Event& BoolRef(VARIANT_BOOL* value) {
        Add(VT_BYREF | VT_BOOL).pboolVal = value;
        return *this;
    }
    Event& Bool(VARIANT_BOOL value) {
        Add(VT_BOOL).boolVal = value;
        return *this;
    }
    Event& Long(LONG value) {
        Add(VT_I4).lVal = value;
        return *this;
    }
    Event& Unsigned(ULONG value) {
        Add(VT_UI4).ulVal = value;
        return *this;
    }
    Event& String(BSTR value) {
        Add(VT_BSTR).bstrVal = value;
        return *this;
    }

    HRESULT FireAt(IDispatch* sink, DISPID id) const {
        std::vector<VARIANTARG> lastFirst(arguments_.rbegin(), arguments_.rend());
        DISPPARAMS params{lastFirst.data(), nullptr, static_cast<UINT>(lastFirst.size()), 0};
        return sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                            nullptr, nullptr);
    }

private:
    VARIANTARG& Add(VARTYPE type) {
        VARIANTARG& argument = arguments_.emplace_back();
        argument.vt = type;
        return argument;
    }

    std::vector<VARIANTARG> arguments_;
};

class EventSinkTest : public WebBrowserHostTest {
protected:
    void SetUp() override {
        WebBrowserHostTest::SetUp();
        if (HasFatalFailure()) return;
        sink_ = FaceOf<IDispatch>();
        host_->SetEventHandler(&handler_);
        ::VariantInit(&url_);
        url_.vt = VT_BSTR;
        url_.bstrVal = ::SysAllocString(L"http://127.0.0.1/ad.html");
        ::VariantInit(&empty_);
        ::VariantInit(&status_);
        status_.vt = VT_I4;
        status_.lVal = 404;
    }
    void TearDown() override {
        ::VariantClear(&url_);
        WebBrowserHostTest::TearDown();
    }

    Event BeforeNavigate2() {
        return Event()
            .Dispatch(host_->Browser())
            .VariantRef(&url_)
            .VariantRef(&empty_)
            .VariantRef(&empty_)
            .VariantRef(&empty_)
            .VariantRef(&empty_)
            .BoolRef(&cancel_);
    }

    ComPtr<IDispatch> sink_;
    VARIANT url_;
    VARIANT empty_;
    VARIANT status_;
    VARIANT_BOOL cancel_ = VARIANT_FALSE;
};

TEST_F(EventSinkTest, BeforeNavigate2GivesTheHandlerTheBrowsersOwnVariables) {
    handler_.cancel = true;
    EXPECT_EQ(S_OK, BeforeNavigate2().FireAt(sink_.Get(), DISPID_BEFORENAVIGATE2));
    ASSERT_EQ(1, handler_.Count("BeforeNavigate2"));
    EXPECT_EQ(L"http://127.0.0.1/ad.html", handler_.url);
    EXPECT_EQ(&url_, handler_.urlSeen);
    EXPECT_EQ(&cancel_, handler_.cancelSeen);
    EXPECT_EQ(VARIANT_TRUE, cancel_) << "the cancel reaches the browser";
}

TEST_F(EventSinkTest, NavigateErrorAndNavigateComplete2ReachTheHandler) {
    handler_.cancel = true;
    EXPECT_EQ(S_OK, Event()
                        .Dispatch(host_->Browser())
                        .VariantRef(&url_)
                        .VariantRef(&empty_)
                        .VariantRef(&status_)
                        .BoolRef(&cancel_)
                        .FireAt(sink_.Get(), DISPID_NAVIGATEERROR));
    ASSERT_EQ(1, handler_.Count("NavigateError"));
    EXPECT_EQ(404, handler_.statusCode);
    EXPECT_EQ(VARIANT_TRUE, cancel_);

    handler_.url.clear();
    EXPECT_EQ(S_OK, Event()
                        .Dispatch(host_->Browser())
                        .VariantRef(&url_)
                        .FireAt(sink_.Get(), DISPID_NAVIGATECOMPLETE2));
    ASSERT_EQ(1, handler_.Count("NavigateComplete2"));
    EXPECT_EQ(L"http://127.0.0.1/ad.html", handler_.url);
}

TEST_F(EventSinkTest, ProgressAndCommandStateArriveInDeclaredOrder) {
    EXPECT_EQ(S_OK, Event().Long(30).Long(100).FireAt(sink_.Get(), DISPID_PROGRESSCHANGE));
    EXPECT_EQ(30, handler_.progress);
    EXPECT_EQ(100, handler_.progressMax);

    EXPECT_EQ(S_OK, Event()
                        .Long(CSC_NAVIGATEBACK)
                        .Bool(VARIANT_TRUE)
                        .FireAt(sink_.Get(), DISPID_COMMANDSTATECHANGE));
    EXPECT_EQ(CSC_NAVIGATEBACK, handler_.command);
    EXPECT_EQ(VARIANT_TRUE, handler_.enable);
}

TEST_F(EventSinkTest, NewWindow3TakesItsFlagsSignedOrUnsigned) {
    handler_.cancel = true;
    BSTR context = ::SysAllocString(L"http://127.0.0.1/ad.html");
    BSTR target = ::SysAllocString(L"http://127.0.0.1/popup.html");
    IDispatch* newBrowser = nullptr;
    EXPECT_EQ(S_OK, Event()
                        .DispatchRef(&newBrowser)
                        .BoolRef(&cancel_)
                        .Long(NWMF_USERINITED)
                        .String(context)
                        .String(target)
                        .FireAt(sink_.Get(), DISPID_NEWWINDOW3));
    EXPECT_EQ(static_cast<DWORD>(NWMF_USERINITED), handler_.newWindowFlags);
    EXPECT_EQ(L"http://127.0.0.1/ad.html", handler_.urlContext);
    EXPECT_EQ(L"http://127.0.0.1/popup.html", handler_.url);
    EXPECT_EQ(VARIANT_TRUE, cancel_);

    EXPECT_EQ(S_OK, Event()
                        .DispatchRef(&newBrowser)
                        .BoolRef(&cancel_)
                        .Unsigned(0x80000000u)
                        .String(context)
                        .String(target)
                        .FireAt(sink_.Get(), DISPID_NEWWINDOW3));
    EXPECT_EQ(0x80000000u, handler_.newWindowFlags);
    EXPECT_EQ(2, handler_.Count("NewWindow3"));
    ::SysFreeString(context);
    ::SysFreeString(target);
}

TEST_F(EventSinkTest, MisshapenEventsAreRefusedBeforeTheHandlerSeesThem) {
    struct Case {
        const char* what;
        DISPID id;
        Event event;
        HRESULT expected;
    };
    const Case cases[] = {
        {"one argument short", DISPID_BEFORENAVIGATE2,
         Event()
             .Dispatch(nullptr)
             .VariantRef(&url_)
             .VariantRef(&empty_)
             .VariantRef(&empty_)
             .VariantRef(&empty_)
             .VariantRef(&empty_),
         DISP_E_BADPARAMCOUNT},
        {"one argument too many", DISPID_PROGRESSCHANGE, Event().Long(1).Long(2).Long(3),
         DISP_E_BADPARAMCOUNT},
        {"no arguments", DISPID_NAVIGATEERROR, Event(), DISP_E_BADPARAMCOUNT},
        {"cancel by value", DISPID_BEFORENAVIGATE2,
         Event()
             .Dispatch(nullptr)
             .VariantRef(&url_)
             .VariantRef(&empty_)
             .VariantRef(&empty_)
             .VariantRef(&empty_)
             .VariantRef(&empty_)
             .Bool(VARIANT_FALSE),
         DISP_E_TYPEMISMATCH},
        {"url by value", DISPID_NAVIGATECOMPLETE2, Event().Dispatch(nullptr).String(url_.bstrVal),
         DISP_E_TYPEMISMATCH},
        {"url pointing nowhere", DISPID_NAVIGATECOMPLETE2,
         Event().Dispatch(nullptr).VariantRef(nullptr), DISP_E_TYPEMISMATCH},
        {"arguments swapped", DISPID_NAVIGATECOMPLETE2, Event().VariantRef(&url_).Dispatch(nullptr),
         DISP_E_TYPEMISMATCH},
        {"text for a number", DISPID_PROGRESSCHANGE, Event().Long(1).String(url_.bstrVal),
         DISP_E_TYPEMISMATCH},
        {"number for a flag", DISPID_COMMANDSTATECHANGE, Event().Long(1).Long(1),
         DISP_E_TYPEMISMATCH},
        {"cancel pointing nowhere", DISPID_NEWWINDOW3,
         Event()
             .DispatchRef(nullptr)
             .BoolRef(nullptr)
             .Long(0)
             .String(url_.bstrVal)
             .String(url_.bstrVal),
         DISP_E_TYPEMISMATCH},
        {"an event no handler answers", DISPID_DOCUMENTCOMPLETE,
         Event().Dispatch(nullptr).VariantRef(&url_), DISP_E_MEMBERNOTFOUND},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(test.expected, test.event.FireAt(sink_.Get(), test.id)) << test.what;
    }
    EXPECT_TRUE(handler_.calls.empty());
}

TEST_F(EventSinkTest, MalformedCallsAreRefused) {
    EXPECT_EQ(E_POINTER, sink_->Invoke(DISPID_PROGRESSCHANGE, IID_NULL, LOCALE_USER_DEFAULT,
                                       DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr));
    DISPPARAMS noArray{nullptr, nullptr, 2, 0};
    EXPECT_EQ(E_POINTER, sink_->Invoke(DISPID_PROGRESSCHANGE, IID_NULL, LOCALE_USER_DEFAULT,
                                       DISPATCH_METHOD, &noArray, nullptr, nullptr, nullptr));
    VARIANTARG arguments[2] = {};
    arguments[0].vt = arguments[1].vt = VT_I4;
    DISPPARAMS progress{arguments, nullptr, 2, 0};
    EXPECT_EQ(DISP_E_UNKNOWNINTERFACE,
              sink_->Invoke(DISPID_PROGRESSCHANGE, __uuidof(IDispatch), LOCALE_USER_DEFAULT,
                            DISPATCH_METHOD, &progress, nullptr, nullptr, nullptr));
    EXPECT_TRUE(handler_.calls.empty());
}

TEST_F(EventSinkTest, WithoutAHandlerEventsAreAcceptedAndDropped) {
    host_->SetEventHandler(nullptr);
    EXPECT_EQ(S_OK, BeforeNavigate2().FireAt(sink_.Get(), DISPID_BEFORENAVIGATE2));
    EXPECT_EQ(VARIANT_FALSE, cancel_);
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, Event().Long(1).FireAt(sink_.Get(), DISPID_PROGRESSCHANGE));
    EXPECT_TRUE(handler_.calls.empty());
}

}  // namespace
}  // namespace gatevane
