#include "toolkit/web_browser_host_win.h"

#include <downloadmgr.h>
#include <exdispid.h>
#include <mshtmhst.h>

#include <algorithm>
#include <initializer_list>
#include <new>

#include "base/unique_handle_win.h"
#include "toolkit/ansi_wide_win.h"
#include "toolkit/web_browser_event_handler_win.h"

// Interface ids come from __uuidof, not from the import libraries: with -static some of mingw's
// IID_ symbols resolve to the wrong values.

namespace gatevane {

// The faces end with the host, never through a delete of an interface pointer (see the header).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

namespace {

using Microsoft::WRL::ComPtr;

constexpr char kAreaClass[] = "GatevaneWebBrowserArea";
constexpr VARTYPE kVariantRef = VT_BYREF | VT_VARIANT;
constexpr VARTYPE kBoolRef = VT_BYREF | VT_BOOL;

// Answers the browser when nothing is attached, so both paths give the same defaults.
CWebBrowserEventHandler defaultAnswers;

// Every face answers IUnknown through the host: one identity and one count for the whole site.
template <typename Interface>
class Face : public Interface {
public:
    explicit Face(WebBrowserHost& host) : host_(host) {}
    Face(const Face&) = delete;
    Face& operator=(const Face&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        return host_.QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return host_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return host_.Release(); }

protected:
    WebBrowserHost& host_;
};

// The answer for an object the host does not have.
template <typename Object>
HRESULT NoObject(Object** object, HRESULT result) {
    if (!object) return E_POINTER;
    *object = nullptr;
    return result;
}

// The platform passes an event's arguments last first; `expected` lists their types first to
// last. A DWORD argument, declared VT_UI4, also arrives as VT_I4. A by-reference argument must
// point somewhere, since handlers write through it.
HRESULT CheckArguments(const DISPPARAMS& params, std::initializer_list<VARTYPE> expected) {
    if (params.cArgs != expected.size()) return DISP_E_BADPARAMCOUNT;
    if (!params.rgvarg) return E_POINTER;
    const VARIANTARG* argument = params.rgvarg + params.cArgs;
    for (VARTYPE type : expected) {
        --argument;
        const bool typeMatches = argument->vt == type || (type == VT_UI4 && argument->vt == VT_I4);
        if (!typeMatches || ((type & VT_BYREF) && !argument->byref)) return DISP_E_TYPEMISMATCH;
    }
    return S_OK;
}

bool RegisterAreaClass() {
    WNDCLASSA areaClass{};
    areaClass.lpfnWndProc = ::DefWindowProcA;
    areaClass.hInstance = ::GetModuleHandleA(nullptr);
    // White, like an empty page, until the browser draws over it.
    areaClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    areaClass.lpszClassName = kAreaClass;
    return ::RegisterClassA(&areaClass) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

class WebBrowserHost::ClientSite final : public Face<IOleClientSite> {
public:
    using Face::Face;

    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        return NoObject(moniker, E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override {
        return NoObject(container, E_NOINTERFACE);
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
};

class WebBrowserHost::InPlaceSite final : public Face<IOleInPlaceSite> {
public:
    using Face::Face;

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = host_.area_.get();
        return *window ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // After Close there is no area to be active in.
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return host_.area_ ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame,
                                               IOleInPlaceUIWindow** document, LPRECT position,
                                               LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
        if (!frame || !document || !position || !clip || !info) return E_POINTER;
        host_.QueryInterface(IID_PPV_ARGS(frame));
        *document = nullptr;
        *position = *clip = host_.AreaRect();
        info->fMDIApp = FALSE;
        info->hwndFrame = host_.FrameWindow();
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    // The toolkit's layout decides the size, not the page.
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }
};

// The top-level window as the browser's frame: it has no menus, toolbars or accelerators to
// share with the page.
class WebBrowserHost::InPlaceFrame final : public Face<IOleInPlaceFrame> {
public:
    using Face::Face;

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = host_.FrameWindow();
        return *window ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override {
        return INPLACE_E_NOTOOLSPACE;
    }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS widths) override {
        return widths ? INPLACE_E_NOTOOLSPACE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
};

// The document host's questions go to the window's handler; output pointers are checked here so
// no handler has to.
class WebBrowserHost::DocumentHost final : public Face<IDocHostUIHandler> {
public:
    using Face::Face;

    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD id, POINT* point, IUnknown* commandTarget,
                                              IDispatch* object) override {
        return host_.Handler().ShowContextMenu(id, point, commandTarget, object);
    }
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) override {
        return info ? host_.Handler().GetHostInfo(info) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD id, IOleInPlaceActiveObject* activeObject,
                                     IOleCommandTarget* commandTarget, IOleInPlaceFrame* frame,
                                     IOleInPlaceUIWindow* document) override {
        return host_.Handler().ShowUI(id, activeObject, commandTarget, frame, document);
    }
    HRESULT STDMETHODCALLTYPE HideUI() override { return host_.Handler().HideUI(); }
    HRESULT STDMETHODCALLTYPE UpdateUI() override { return host_.Handler().UpdateUI(); }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override {
        return host_.Handler().EnableModeless(enable);
    }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL activate) override {
        return host_.Handler().OnDocWindowActivate(activate);
    }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL activate) override {
        return host_.Handler().OnFrameWindowActivate(activate);
    }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window,
                                           BOOL frameWindow) override {
        return host_.Handler().ResizeBorder(border, window, frameWindow);
    }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message, const GUID* commandGroup,
                                                   DWORD commandId) override {
        return host_.Handler().TranslateAccelerator(message, commandGroup, commandId);
    }
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override {
        return key ? host_.Handler().GetOptionKeyPath(key, reserved) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget* browserTarget,
                                            IDropTarget** hostTarget) override {
        return hostTarget ? host_.Handler().GetDropTarget(browserTarget, hostTarget) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** dispatch) override {
        return dispatch ? host_.Handler().GetExternal(dispatch) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD translate, LPWSTR url,
                                           LPWSTR* translated) override {
        return translated ? host_.Handler().TranslateUrl(translate, url, translated) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject* object,
                                               IDataObject** filtered) override {
        return filtered ? host_.Handler().FilterDataObject(object, filtered) : E_POINTER;
    }
};

// The browser finds the download manager as a service of its site.
class WebBrowserHost::Services final : public Face<IServiceProvider> {
public:
    using Face::Face;

    HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID iid, void** object) override {
        if (service == __uuidof(IDownloadManager)) return host_.QueryInterface(iid, object);
        return NoObject(object, E_NOINTERFACE);
    }
};

class WebBrowserHost::Downloads final : public Face<IDownloadManager> {
public:
    using Face::Face;

    // The binding information is the browser's own business; the handler decides from the rest.
    HRESULT STDMETHODCALLTYPE Download(IMoniker* moniker, IBindCtx* bindContext, DWORD bindVerb,
                                       LONG bindFlags, BINDINFO*, LPCOLESTR headers,
                                       LPCOLESTR redirect, UINT codePage) override {
        return host_.Handler().Download(moniker, bindContext, bindVerb, bindFlags, headers,
                                        redirect, codePage);
    }
};

// DWebBrowserEvents2, the browser's outgoing interface: the events the handler answers, each
// with its arguments checked before any is touched.
class WebBrowserHost::EventSink final : public Face<IDispatch> {
public:
    using Face::Face;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** typeInfo) override {
        return NoObject(typeInfo, DISP_E_BADINDEX);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD, DISPPARAMS* params,
                                     VARIANT*, EXCEPINFO*, UINT*) override {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        if (!params) return E_POINTER;
        return Deliver(id, *params);
    }

private:
    // A handler may close and release the host, so nothing of it is touched after the call.
    HRESULT Deliver(DISPID id, const DISPPARAMS& params) {
        CWebBrowserEventHandler& handler = host_.Handler();
        // Argument `position`, counted first to last as the event declares them.
        auto argument = [&params](UINT position) -> VARIANTARG& {
            return params.rgvarg[params.cArgs - 1 - position];
        };
        HRESULT checked = DISP_E_MEMBERNOTFOUND;
        switch (id) {
            case DISPID_BEFORENAVIGATE2:
                checked = CheckArguments(params, {VT_DISPATCH, kVariantRef, kVariantRef,
                                                  kVariantRef, kVariantRef, kVariantRef, kBoolRef});
                if (checked != S_OK) break;
                handler.BeforeNavigate2(argument(0).pdispVal, argument(1).pvarVal,
                                        argument(2).pvarVal, argument(3).pvarVal,
                                        argument(4).pvarVal, argument(5).pvarVal,
                                        argument(6).pboolVal);
                break;
            case DISPID_NAVIGATEERROR:
                checked = CheckArguments(
                    params, {VT_DISPATCH, kVariantRef, kVariantRef, kVariantRef, kBoolRef});
                if (checked != S_OK) break;
                handler.NavigateError(argument(0).pdispVal, argument(1).pvarVal,
                                      argument(2).pvarVal, argument(3).pvarVal,
                                      argument(4).pboolVal);
                break;
            case DISPID_NAVIGATECOMPLETE2:
                checked = CheckArguments(params, {VT_DISPATCH, kVariantRef});
                if (checked != S_OK) break;
                handler.NavigateComplete2(argument(0).pdispVal, argument(1).pvarVal);
                break;
            case DISPID_PROGRESSCHANGE:
                checked = CheckArguments(params, {VT_I4, VT_I4});
                if (checked != S_OK) break;
                handler.ProgressChange(argument(0).lVal, argument(1).lVal);
                break;
            case DISPID_NEWWINDOW3:
                checked = CheckArguments(
                    params, {VT_BYREF | VT_DISPATCH, kBoolRef, VT_UI4, VT_BSTR, VT_BSTR});
                if (checked != S_OK) break;
                handler.NewWindow3(argument(0).ppdispVal, argument(1).pboolVal, argument(2).ulVal,
                                   argument(3).bstrVal, argument(4).bstrVal);
                break;
            case DISPID_COMMANDSTATECHANGE:
                checked = CheckArguments(params, {VT_I4, VT_BOOL});
                if (checked != S_OK) break;
                handler.CommandStateChange(argument(0).lVal, argument(1).boolVal);
                break;
        }
        return checked;
    }
};

struct WebBrowserHost::Faces {
    explicit Faces(WebBrowserHost& host)
        : clientSite(host),
          inPlaceSite(host),
          frame(host),
          documentHost(host),
          services(host),
          downloads(host),
          events(host) {}

    ClientSite clientSite;
    InPlaceSite inPlaceSite;
    InPlaceFrame frame;
    DocumentHost documentHost;
    Services services;
    Downloads downloads;
    EventSink events;
};

#pragma GCC diagnostic pop

WebBrowserHost::WebBrowserHost() : faces_(std::make_unique<Faces>(*this)) {}

WebBrowserHost::~WebBrowserHost() = default;

ComPtr<WebBrowserHost> WebBrowserHost::Create(HWND parent) {
    ComPtr<WebBrowserHost> host;
    try {
        host = new WebBrowserHost;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (host->Open(parent)) return host;
    host->Close();
    return nullptr;
}

bool WebBrowserHost::Open(HWND parent) {
    if (!RegisterAreaClass()) return false;
    area_.reset(::CreateWindowExA(0, kAreaClass, "",
                                  WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0,
                                  0, 0, parent, nullptr, ::GetModuleHandleA(nullptr), nullptr));
    if (!area_) return false;
    ComPtr<IOleObject> object;
    RECT position = AreaRect();
    return SUCCEEDED(::CoCreateInstance(__uuidof(WebBrowser), nullptr, CLSCTX_INPROC_SERVER,
                                        IID_PPV_ARGS(&browser_))) &&
           SUCCEEDED(browser_.As(&object)) &&
           SUCCEEDED(object->SetClientSite(&faces_->clientSite)) &&
           SUCCEEDED(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &faces_->clientSite, 0,
                                    area_.get(), &position)) &&
           ConnectEvents() && SUCCEEDED(browser_->put_Silent(VARIANT_TRUE));
}

bool WebBrowserHost::ConnectEvents() {
    ComPtr<IConnectionPointContainer> points;
    ComPtr<IConnectionPoint> point;
    if (FAILED(browser_.As(&points)) ||
        FAILED(points->FindConnectionPoint(__uuidof(DWebBrowserEvents2), &point)) ||
        FAILED(point->Advise(&faces_->events, &eventsCookie_))) {
        return false;
    }
    events_ = std::move(point);
    return true;
}

void WebBrowserHost::DisconnectEvents() {
    if (events_) events_->Unadvise(eventsCookie_);
    events_.Reset();
    eventsCookie_ = 0;
}

void WebBrowserHost::Close() {
    DisconnectEvents();
    if (browser_) {
        ComPtr<IOleInPlaceObject> inPlace;
        if (SUCCEEDED(browser_.As(&inPlace))) inPlace->InPlaceDeactivate();
        ComPtr<IOleObject> object;
        if (SUCCEEDED(browser_.As(&object))) {
            object->Close(OLECLOSE_NOSAVE);
            object->SetClientSite(nullptr);
        }
        browser_.Reset();
    }
    area_.reset();
}

HRESULT WebBrowserHost::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = FaceFor(iid);
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

void* WebBrowserHost::FaceFor(REFIID iid) {
    Faces& faces = *faces_;
    if (iid == __uuidof(IUnknown)) return static_cast<IUnknown*>(this);
    if (iid == __uuidof(IOleClientSite)) return static_cast<IOleClientSite*>(&faces.clientSite);
    if (iid == __uuidof(IOleWindow) || iid == __uuidof(IOleInPlaceSite)) {
        return static_cast<IOleInPlaceSite*>(&faces.inPlaceSite);
    }
    if (iid == __uuidof(IOleInPlaceUIWindow) || iid == __uuidof(IOleInPlaceFrame)) {
        return static_cast<IOleInPlaceFrame*>(&faces.frame);
    }
    if (iid == __uuidof(IDocHostUIHandler)) {
        return static_cast<IDocHostUIHandler*>(&faces.documentHost);
    }
    if (iid == __uuidof(IServiceProvider)) return static_cast<IServiceProvider*>(&faces.services);
    if (iid == __uuidof(IDownloadManager)) return static_cast<IDownloadManager*>(&faces.downloads);
    if (iid == __uuidof(IDispatch) || iid == __uuidof(DWebBrowserEvents2)) {
        return static_cast<IDispatch*>(&faces.events);
    }
    return nullptr;
}

ULONG WebBrowserHost::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&references_));
}

ULONG WebBrowserHost::Release() {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

void WebBrowserHost::SetBounds(const RECT& rectInParent) {
    if (!area_) return;
    ::MoveWindow(area_.get(), rectInParent.left, rectInParent.top,
                 std::max(0L, rectInParent.right - rectInParent.left),
                 std::max(0L, rectInParent.bottom - rectInParent.top), TRUE);
    ComPtr<IOleInPlaceObject> inPlace;
    if (browser_ && SUCCEEDED(browser_.As(&inPlace))) {
        const RECT inside = AreaRect();
        inPlace->SetObjectRects(&inside, &inside);
    }
}

void WebBrowserHost::SetVisible(bool visible) {
    if (area_) ::ShowWindow(area_.get(), visible ? SW_SHOWNA : SW_HIDE);
}

bool WebBrowserHost::Navigate2(const char* url) {
    if (!browser_ || !url) return false;
    std::wstring wide = ui::WidenAnsi(url);
    UniqueBstr text(::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
    if (!text) return false;
    VARIANT target;
    ::VariantInit(&target);
    V_VT(&target) = VT_BSTR;
    V_BSTR(&target) = text.get();
    VARIANT none;
    ::VariantInit(&none);
    // BeforeNavigate2 arrives inside this call, and its handler may close and release the host:
    // nothing of the host is touched after it.
    return SUCCEEDED(browser_->Navigate2(&target, &none, &none, &none, &none));
}

void WebBrowserHost::SetEventHandler(CWebBrowserEventHandler* handler) {
    handler_ = handler;
}

bool WebBrowserHost::TranslateAccelerator(MSG* message) {
    if (!browser_ || !message || message->message < WM_KEYFIRST || message->message > WM_KEYLAST ||
        !::IsChild(area_.get(), message->hwnd)) {
        return false;
    }
    ComPtr<IOleInPlaceActiveObject> active;
    return SUCCEEDED(browser_.As(&active)) && active->TranslateAccelerator(message) == S_OK;
}

CWebBrowserEventHandler& WebBrowserHost::Handler() const {
    return handler_ ? *handler_ : defaultAnswers;
}

HWND WebBrowserHost::FrameWindow() const {
    return area_ ? ::GetAncestor(area_.get(), GA_ROOT) : nullptr;
}

RECT WebBrowserHost::AreaRect() const {
    RECT rect{};
    if (area_) ::GetClientRect(area_.get(), &rect);
    return rect;
}

}  // namespace gatevane
