#include "pet/flash_host_win.h"

#include <string>

#include "pet/pet_window_win.h"

namespace ostrelpet {

// {D27CDB6E-AE6D-11CF-96B8-444553540000}
const CLSID kFlashPlayerClass = {
    0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// {D27CDB6D-AE6D-11CF-96B8-444553540000}, _IShockwaveFlashEvents
const IID kFlashEvents = {
    0xD27CDB6D, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

namespace {

// The movie, relative to the program's folder.
constexpr wchar_t kMovie[] = L"TesselRes\\Skin\\OstrelSystem\\pet.swf";

std::wstring MoviePath() {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length < MAX_PATH ? length : 0);
    folder.erase(folder.find_last_of(L'\\') + 1);
    return folder + kMovie;
}

}  // namespace

void FlashHost::Shutdown() {
    ReleaseControl();
    // PetWindow's procedure must not reach a host that is ending.
    if (window_) ::SetWindowLongPtrA(window_.get(), GWLP_USERDATA, 0);
    window_.reset();
}

ULONG FlashHost::AddRef() {
    return ++references_;
}

// The program owns the host: the count only answers COM.
ULONG FlashHost::Release() {
    return --references_;
}

HRESULT FlashHost::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = FaceFor(iid);
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

bool FlashHost::CreateHost(const CLSID& control, DWORD extendedStyle, DWORD style, HWND owner,
                           HINSTANCE instance) {
    owner_ = owner;
    controlClass_ = control;
    instance_ = instance;
    layered_ = (extendedStyle & WS_EX_LAYERED) != 0;
    childWindow_ = (style & WS_CHILD) != 0;
    const bool made = FindUpdateLayeredWindow() && RegisterPetWindowClass(instance) &&
                      CreatePetWindow(extendedStyle, style) && CreateControl() &&
                      ConfigureMovie() && Activate() && StartMovie() &&
                      ::SetTimer(window_.get(), kWatchTimer, kWatchPeriodMs, nullptr) != 0;
    if (!made) {
        // A player that is missing or refuses a step is let go whole, and no empty window stays.
        ReleaseControl();
        window_.reset();
    }
    return made;
}

// Looked up once, not for every frame. A system without it cannot show the pet at all: the
// program ends (quit message) instead of drawing nothing forever.
bool FlashHost::FindUpdateLayeredWindow() {
    if (!layered_) return true;
    if (!user32_) user32_.reset(::LoadLibraryA("User32.DLL"));
    if (user32_) {
        updateLayeredWindow_ = reinterpret_cast<UpdateLayeredWindowFunction>(
            reinterpret_cast<void*>(::GetProcAddress(user32_.get(), "UpdateLayeredWindow")));
    }
    if (!updateLayeredWindow_) ::PostQuitMessage(0);
    return updateLayeredWindow_ != nullptr;
}

bool FlashHost::CreatePetWindow(DWORD extendedStyle, DWORD style) {
    RECT rect{};
    if (childWindow_) {
        ::GetClientRect(owner_, &rect);
    } else {
        ::GetWindowRect(owner_, &rect);
    }
    window_.reset(::CreateWindowExA(extendedStyle, kPetWindowClass, kPetWindowTitle, style,
                                    rect.left, rect.top, rect.right - rect.left,
                                    rect.bottom - rect.top, owner_, nullptr, instance_, this));
    if (!window_) return false;
    // Above other windows, without taking the activation from the game hall's.
    ::SetWindowPos(window_.get(), HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return true;
}

bool FlashHost::CreateControl() {
    ComPtr<IOleClientSite> site;
    ComPtr<IStorage> storage;
    if (FAILED(QueryInterface(__uuidof(IOleClientSite), site.PutVoid())) ||
        FAILED(QueryInterface(__uuidof(IStorage), storage.PutVoid()))) {
        return false;
    }
    if (FAILED(::OleCreate(controlClass_, __uuidof(IOleObject), OLERENDER_DRAW, nullptr, site.Get(),
                           storage.Get(), oleObject_.PutVoid())) ||
        !oleObject_) {
        return false;  // REGDB_E_CLASSNOTREG when no player is installed
    }
    ::OleSetContainedObject(oleObject_.Get(), TRUE);
    ComPtr<IDispatch> flash;
    if (FAILED(oleObject_.As(flash))) return false;
    flash_ = LateBound(std::move(flash));
    if (FAILED(oleObject_.As(viewObjectEx_))) oleObject_.As(viewObject_);
    if (layered_ && FAILED(oleObject_.As(windowlessObject_))) DropLayered();
    if (!layered_) oleObject_.As(inPlaceObject_);
    return true;
}

// A control that cannot be windowless is drawn on WM_PAINT; a layered window that never gets a
// layered frame shows nothing, so PetWindow stops being one.
void FlashHost::DropLayered() {
    layered_ = false;
    const LONG_PTR style = ::GetWindowLongPtrA(window_.get(), GWL_EXSTYLE);
    ::SetWindowLongPtrA(window_.get(), GWL_EXSTYLE, style & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
}

bool FlashHost::ConfigureMovie() {
    if (!flash_.GetInt(L"FlashVersion", &flashVersion_)) return false;
    twoPassAlpha_ = ((flashVersion_ >> 16) & 0xFF) == 8;
    ComPtr<IUnknown> sink;
    if (FAILED(oleObject_.As(pointContainer_)) ||
        FAILED(pointContainer_->FindConnectionPoint(kFlashEvents, eventPoint_.Put())) ||
        FAILED(QueryInterface(kFlashEvents, sink.PutVoid())) ||
        FAILED(eventPoint_->Advise(sink.Get(), &adviseCookie_))) {
        return false;
    }
    if (layered_ && !flash_.PutString(L"WMode", L"transparent")) return false;
    return flash_.PutString(L"Scale", L"showAll") && flash_.PutInt(L"BackgroundColor", 0) &&
           flash_.PutBool(L"EmbedMovie", false);
}

// In place but not UI-active: a pet has no menus or toolbars to merge, and the platform's
// OLEIVERB_INPLACEACTIVATE (-5) says exactly that.
bool FlashHost::Activate() {
    ComPtr<IOleClientSite> site;
    if (FAILED(QueryInterface(__uuidof(IOleClientSite), site.PutVoid()))) return false;
    return SUCCEEDED(
        oleObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, nullptr, nullptr));
}

bool FlashHost::StartMovie() {
    ::ShowWindow(owner_, SW_HIDE);
    return flash_.PutBool(L"EmbedMovie", true) && flash_.Call(L"LoadMovie", 0, MoviePath()) &&
           flash_.Call(L"Play");
}

void FlashHost::ReleaseControl() {
    directDraw_.Reset();
    if (eventPoint_ && adviseCookie_) eventPoint_->Unadvise(adviseCookie_);
    adviseCookie_ = 0;
    eventPoint_.Reset();
    pointContainer_.Reset();
    if (oleObject_) {
        oleObject_->Close(OLECLOSE_NOSAVE);
        oleObject_->SetClientSite(nullptr);
    }
    viewObjectEx_.Reset();
    viewObject_.Reset();
    windowlessObject_.Reset();
    inPlaceObject_.Reset();
    oleObject_.Reset();
    flash_.Reset();
    black_ = FrameBuffer();
    white_ = FrameBuffer();
    bufferRect_ = RECT{};
}

IViewObject* FlashHost::ViewObject() const {
    if (viewObjectEx_) return viewObjectEx_.Get();
    return viewObject_.Get();
}

RECT FlashHost::ClientRect() const {
    RECT rect{};
    ::GetClientRect(window_.get(), &rect);
    return rect;
}

}  // namespace ostrelpet
