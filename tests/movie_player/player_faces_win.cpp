// The stand-in player's COM faces; each answers IUnknown through the player.
#include "tests/movie_player/player_win.h"

namespace movie_player {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

namespace {

template <typename Interface>
class Face : public Interface {
public:
    explicit Face(IUnknown& owner) : owner_(owner) {}
    Face(const Face&) = delete;
    Face& operator=(const Face&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        return owner_.QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }

protected:
    IUnknown& owner_;
};

template <typename Object>
HRESULT NoObject(Object** object, HRESULT result) {
    if (!object) return E_POINTER;
    *object = nullptr;
    return result;
}

// The names the player answers, with their ids.
struct Member {
    const wchar_t* name;
    DISPID id;
};
constexpr Member kMembers[] = {
    {L"FlashVersion", kFlashVersion},
    {L"WMode", kWMode},
    {L"Scale", kScale},
    {L"BackgroundColor", kBackgroundColor},
    {L"EmbedMovie", kEmbedMovie},
    {L"LoadMovie", kLoadMovie},
    {L"Play", kPlay},
};

}  // namespace

class Player::OleObject final : public Face<IOleObject> {
public:
    OleObject(Player& player) : Face(player), player_(player) {}

    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override {
        return player_.SetClientSite(site);
    }
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override {
        if (!site) return E_POINTER;
        *site = player_.site_.Get();
        if (*site) (*site)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD) override {
        player_.Close();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        return NoObject(moniker, E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject** data) override {
        return NoObject(data, E_NOTIMPL);
    }
    // Every verb that shows the control activates it in place, without a window.
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND,
                                     LPCRECT) override {
        if (verb == OLEIVERB_HIDE) {
            player_.Deactivate();
            return S_OK;
        }
        if (verb == OLEIVERB_SHOW || verb == OLEIVERB_INPLACEACTIVATE ||
            verb == OLEIVERB_UIACTIVATE || verb == OLEIVERB_PRIMARY) {
            return player_.Activate();
        }
        return OLEOBJ_S_INVALIDVERB;
    }
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override {
        return NoObject(verbs, E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* id) override {
        if (!id) return E_POINTER;
        *id = kPlayerClass;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR* name) override {
        return NoObject(name, E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD, SIZEL*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD, SIZEL* size) override {
        if (!size) return E_POINTER;
        size->cx = size->cy = 165 * 2540 / 96;  // the stage, in HIMETRIC
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD* cookie) override {
        if (cookie) *cookie = 0;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advises) override {
        return NoObject(advises, E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD* status) override {
        if (!status) return E_POINTER;
        *status = OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INSIDEOUT |
                  OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

private:
    Player& player_;
};

class Player::View final : public Face<IViewObjectEx> {
public:
    View(Player& player) : Face(player), player_(player) {}

    HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                                   LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                                   ULONG_PTR) override {
        try {
            return player_.Draw(aspect, dc, reinterpret_cast<const RECT*>(bounds));
        } catch (...) {
            return E_OUTOFMEMORY;  // a frame is drawn into fresh buffers
        }
    }
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                          LOGPALETTE** colours) override {
        return NoObject(colours, S_FALSE);
    }
    HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD, DWORD, IAdviseSink*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD*, DWORD*, IAdviseSink** sink) override {
        return NoObject(sink, S_OK);
    }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD, LONG, DVTARGETDEVICE*, LPSIZEL size) override {
        if (!size) return E_POINTER;
        size->cx = size->cy = 165 * 2540 / 96;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetRect(DWORD, LPRECTL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetViewStatus(DWORD* status) override {
        if (!status) return E_POINTER;
        *status = 0;  // transparent: the host's background shows through
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT point, LONG,
                                            DWORD* result) override {
        if (!bounds || !result) return E_POINTER;
        if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
        try {
            *result = player_.HitTest(*bounds, point);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryHitRect(DWORD, LPCRECT, LPCRECT, LONG, DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetNaturalExtent(DWORD, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*,
                                               LPSIZEL) override {
        return E_NOTIMPL;
    }

private:
    Player& player_;
};

class Player::InPlace final : public Face<IOleInPlaceObjectWindowless> {
public:
    InPlace(Player& player) : Face(player), player_(player) {}

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        return NoObject(window, E_FAIL);  // windowless
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override {
        player_.Deactivate();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT) override {
        if (!position) return E_POINTER;
        player_.position_ = *position;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }
    // The movie takes no input: the host does with every message what it would do without it.
    HRESULT STDMETHODCALLTYPE OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) override {
        if (result) *result = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget** target) override {
        return NoObject(target, E_NOTIMPL);
    }

private:
    Player& player_;
};

class Player::Points final : public Face<IConnectionPointContainer> {
public:
    Points(Player& player, IConnectionPoint& events) : Face(player), events_(events) {}

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override {
        return NoObject(points, E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
        if (!point) return E_POINTER;
        if (iid != kPlayerEvents) return NoObject(point, CONNECT_E_NOCONNECTION);
        *point = &events_;
        events_.AddRef();
        return S_OK;
    }

private:
    IConnectionPoint& events_;
};

class Player::EventPoint final : public Face<IConnectionPoint> {
public:
    EventPoint(Player& player) : Face(player), player_(player) {}

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
        if (!iid) return E_POINTER;
        *iid = kPlayerEvents;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** container) override {
        if (!container) return E_POINTER;
        return player_.QueryInterface(__uuidof(IConnectionPointContainer),
                                      reinterpret_cast<void**>(container));
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
        if (!sink || !cookie) return E_POINTER;
        ComPtr<IDispatch> events;
        if (FAILED(sink->QueryInterface(kPlayerEvents, events.PutVoid()))) {
            return CONNECT_E_CANNOTCONNECT;
        }
        try {
            player_.sinks_[player_.nextCookie_] = std::move(events);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        *cookie = player_.nextCookie_++;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        return player_.sinks_.erase(cookie) ? S_OK : CONNECT_E_NOCONNECTION;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override {
        return NoObject(connections, E_NOTIMPL);
    }

private:
    Player& player_;
};

class Player::Automation final : public Face<IDispatch> {
public:
    Automation(Player& player) : Face(player), player_(player) {}

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        return NoObject(info, DISP_E_BADINDEX);
    }
    // Names compare without regard to case, as Automation's do.
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (!names || !ids) return E_POINTER;
        HRESULT result = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            for (const Member& member : kMembers) {
                if (names[i] && ::lstrcmpiW(names[i], member.name) == 0) ids[i] = member.id;
            }
            if (ids[i] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
        }
        return result;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        if (!params) return E_POINTER;
        try {
            return player_.Invoke(id, flags, params, result);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

private:
    Player& player_;
};

class Player::Persist final : public Face<IPersistStorage> {
public:
    using Face::Face;

    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override {
        if (!id) return E_POINTER;
        *id = kPlayerClass;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE InitNew(IStorage*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Load(IStorage*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Save(IStorage*, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE HandsOffStorage() override { return S_OK; }
};

struct Player::Faces {
    explicit Faces(Player& player)
        : oleObject(player),
          view(player),
          inPlace(player),
          eventPoint(player),
          points(player, eventPoint),
          automation(player),
          persist(player) {}

    OleObject oleObject;
    View view;
    InPlace inPlace;
    EventPoint eventPoint;
    Points points;
    Automation automation;
    Persist persist;
};

#pragma GCC diagnostic pop

Player::Player(PlayerSettings settings)
    : faces_(std::make_unique<Faces>(*this)), settings_(std::move(settings)) {
    ::InterlockedIncrement(&liveObjects);
}

Player::~Player() {
    Close();
    ::InterlockedDecrement(&liveObjects);
}

void* Player::FaceFor(REFIID iid) {
    Faces& faces = *faces_;
    if (iid == __uuidof(IUnknown)) return static_cast<IUnknown*>(this);
    if (iid == __uuidof(IOleObject)) return static_cast<IOleObject*>(&faces.oleObject);
    if (iid == __uuidof(IViewObject) || iid == __uuidof(IViewObject2) ||
        iid == __uuidof(IViewObjectEx)) {
        return static_cast<IViewObjectEx*>(&faces.view);
    }
    if (iid == __uuidof(IOleWindow) || iid == __uuidof(IOleInPlaceObject) ||
        (iid == __uuidof(IOleInPlaceObjectWindowless) && settings_.windowless)) {
        return static_cast<IOleInPlaceObjectWindowless*>(&faces.inPlace);
    }
    if (iid == __uuidof(IConnectionPointContainer)) {
        return static_cast<IConnectionPointContainer*>(&faces.points);
    }
    if (iid == __uuidof(IConnectionPoint)) return static_cast<IConnectionPoint*>(&faces.eventPoint);
    // The player's own interface is its IDispatch: everything is reached by name.
    if (iid == __uuidof(IDispatch) || iid == kPlayerInterface) {
        return static_cast<IDispatch*>(&faces.automation);
    }
    if (iid == __uuidof(IPersist) || iid == __uuidof(IPersistStorage)) {
        return static_cast<IPersistStorage*>(&faces.persist);
    }
    return nullptr;
}

HRESULT Player::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = FaceFor(iid);
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG Player::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&references_));
}

ULONG Player::Release() {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

const wchar_t* MemberName(DISPID id) {
    for (const Member& member : kMembers) {
        if (member.id == id) return member.name;
    }
    return L"";
}

}  // namespace movie_player
