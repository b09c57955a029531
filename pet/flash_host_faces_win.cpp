// The host's COM faces: what the control gets when it asks its site, in-place site, frame,
// storage, event sink and service provider. Each face answers IUnknown through the host.
#include "pet/flash_host_win.h"

namespace ostrelpet {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

namespace {

// IID_IDirectDraw3, the service id under which a player asks its site for DirectDraw.
// {618F8AD4-8B7A-11D0-8FCC-00C04FD9189D}
const GUID kDirectDrawService = {
    0x618F8AD4, 0x8B7A, 0x11D0, {0x8F, 0xCC, 0x00, 0xC0, 0x4F, 0xD9, 0x18, 0x9D}};
// {D7B70EE0-4340-11CF-B063-0020AFC2CD35}
const CLSID kDirectDrawClass = {
    0xD7B70EE0, 0x4340, 0x11CF, {0xB0, 0x63, 0x00, 0x20, 0xAF, 0xC2, 0xCD, 0x35}};
// {9C59509A-39BD-11D1-8C4A-00C04FD930C5}
const IID kDirectDraw4 = {
    0x9C59509A, 0x39BD, 0x11D1, {0x8C, 0x4A, 0x00, 0xC0, 0x4F, 0xD9, 0x30, 0xC5}};

template <typename Object>
HRESULT NoObject(Object** object, HRESULT result) {
    if (!object) return E_POINTER;
    *object = nullptr;
    return result;
}

template <typename Interface, typename Host>
class Face : public Interface {
public:
    explicit Face(Host& host) : host_(host) {}
    Face(const Face&) = delete;
    Face& operator=(const Face&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        return host_.QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return host_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return host_.Release(); }

protected:
    Host& host_;
};

}  // namespace

class FlashHost::ClientSite final : public Face<IOleClientSite, FlashHost> {
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
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
};

// The windowless in-place site. The control gets no device context of its own: every frame is
// drawn by the host, when the control asks with InvalidateRect.
class FlashHost::InPlaceSite final : public Face<IOleInPlaceSiteWindowless, FlashHost> {
public:
    using Face::Face;

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = host_.window();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame,
                                               IOleInPlaceUIWindow** document, LPRECT position,
                                               LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
        if (!frame || !document || !position || !clip || !info) return E_POINTER;
        // The caller releases what it gets, so the frame comes with its reference.
        host_.QueryInterface(__uuidof(IOleInPlaceFrame), reinterpret_cast<void**>(frame));
        *document = nullptr;
        *position = *clip = host_.ClientRect();
        info->fMDIApp = FALSE;
        info->hwndFrame = host_.window();
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

    HRESULT STDMETHODCALLTYPE OnInPlaceActivateEx(BOOL* noRedraw, DWORD) override {
        if (noRedraw) *noRedraw = FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivateEx(BOOL) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE RequestUIActivate() override { return S_FALSE; }

    HRESULT STDMETHODCALLTYPE CanWindowlessActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetCapture() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE SetCapture(BOOL) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetFocus() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetFocus(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetDC(LPCRECT, DWORD, HDC* dc) override {
        if (dc) *dc = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE ReleaseDC(HDC) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE InvalidateRect(LPCRECT rect, BOOL erase) override {
        host_.RenderFrame(nullptr, rect, erase != FALSE);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InvalidateRgn(HRGN, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ScrollRect(INT, INT, LPCRECT, LPCRECT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AdjustRect(LPRECT) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnDefWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) override {
        if (result) *result = 0;
        return S_FALSE;
    }
};

// PetWindow as the control's frame: nothing to share with it (no menus, toolbars, status line).
class FlashHost::InPlaceFrame final : public Face<IOleInPlaceFrame, FlashHost> {
public:
    using Face::Face;

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = host_.window();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
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
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return E_NOTIMPL; }
};

// The storage OleCreate wants: the control keeps nothing in it.
class FlashHost::Storage final : public Face<IStorage, FlashHost> {
public:
    using Face::Face;

    HRESULT STDMETHODCALLTYPE CreateStream(const OLECHAR*, DWORD, DWORD, DWORD,
                                           IStream** stream) override {
        return NoObject(stream, E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE OpenStream(const OLECHAR*, void*, DWORD, DWORD,
                                         IStream** stream) override {
        return NoObject(stream, E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE CreateStorage(const OLECHAR*, DWORD, DWORD, DWORD,
                                            IStorage** storage) override {
        return NoObject(storage, E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE OpenStorage(const OLECHAR*, IStorage*, DWORD, SNB, DWORD,
                                          IStorage** storage) override {
        return NoObject(storage, E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE CopyTo(DWORD, const IID*, SNB, IStorage*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE MoveElementTo(const OLECHAR*, IStorage*, const OLECHAR*,
                                            DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumElements(DWORD, void*, DWORD, IEnumSTATSTG** items) override {
        return NoObject(items, E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE DestroyElement(const OLECHAR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RenameElement(const OLECHAR*, const OLECHAR*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetElementTimes(const OLECHAR*, const FILETIME*, const FILETIME*,
                                              const FILETIME*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetClass(REFCLSID) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetStateBits(DWORD, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
};

// The player's events (ready state, progress, script commands) change nothing for the pet.
class FlashHost::EventSink final : public Face<IDispatch, FlashHost> {
public:
    using Face::Face;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        return NoObject(info, E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return S_OK;
    }
};

class FlashHost::Services final : public Face<IServiceProvider, FlashHost> {
public:
    using Face::Face;

    // Only DirectDraw is offered, whatever interface of it is asked for.
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (service != kDirectDrawService) return E_NOINTERFACE;
        return host_.ProvideDirectDraw(object);
    }
};

struct FlashHost::Faces {
    explicit Faces(FlashHost& host)
        : clientSite(host),
          inPlaceSite(host),
          frame(host),
          storage(host),
          events(host),
          services(host) {}

    ClientSite clientSite;
    InPlaceSite inPlaceSite;
    InPlaceFrame frame;
    Storage storage;
    EventSink events;
    Services services;
};

#pragma GCC diagnostic pop

FlashHost::FlashHost() : faces_(std::make_unique<Faces>(*this)) {}

FlashHost::~FlashHost() {
    Shutdown();
}

void* FlashHost::FaceFor(REFIID iid) {
    Faces& faces = *faces_;
    if (iid == __uuidof(IUnknown)) return static_cast<IUnknown*>(this);
    if (iid == __uuidof(IOleClientSite)) return static_cast<IOleClientSite*>(&faces.clientSite);
    if (iid == __uuidof(IOleWindow) || iid == __uuidof(IOleInPlaceSite) ||
        iid == __uuidof(IOleInPlaceSiteEx) || iid == __uuidof(IOleInPlaceSiteWindowless)) {
        return static_cast<IOleInPlaceSiteWindowless*>(&faces.inPlaceSite);
    }
    if (iid == __uuidof(IOleInPlaceUIWindow) || iid == __uuidof(IOleInPlaceFrame)) {
        return static_cast<IOleInPlaceFrame*>(&faces.frame);
    }
    if (iid == __uuidof(IStorage)) return static_cast<IStorage*>(&faces.storage);
    if (iid == kFlashEvents || iid == __uuidof(IDispatch)) {
        return static_cast<IDispatch*>(&faces.events);
    }
    if (iid == __uuidof(IServiceProvider)) return static_cast<IServiceProvider*>(&faces.services);
    return nullptr;
}

// Made at the first request; a failure is answered now and tried again at the next one.
HRESULT FlashHost::ProvideDirectDraw(void** object) {
    if (!directDraw_ && FAILED(::CoCreateInstance(kDirectDrawClass, nullptr, CLSCTX_INPROC_SERVER,
                                                  kDirectDraw4, directDraw_.PutVoid()))) {
        return E_NOINTERFACE;
    }
    directDraw_->AddRef();
    *object = directDraw_.Get();
    return S_OK;
}

}  // namespace ostrelpet
