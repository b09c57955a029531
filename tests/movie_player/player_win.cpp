// The stand-in player's behaviour: activation, the movie timer, drawing, hit tests, automation.
#include "tests/movie_player/player_win.h"

#include "base/unique_handle_win.h"
#include "pet/frame_buffer_win.h"
#include "tests/movie_player/movie_header.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace movie_player {

namespace {

// The event the player fires when its ready state changes (4: the movie is loaded).
constexpr DISPID kReadyStateChange = -609;

// IID_IDirectDraw3 as the service id under which a player asks its site for DirectDraw.
const GUID kDirectDrawService = {
    0x618F8AD4, 0x8B7A, 0x11D0, {0x8F, 0xCC, 0x00, 0xC0, 0x4F, 0xD9, 0x18, 0x9D}};

// The argument `position` (first to last) of `params` as `type`; false when missing or of no
// such type.
bool Argument(const DISPPARAMS& params, UINT position, VARTYPE type, VARIANT* out) {
    if (position >= params.cArgs) return false;
    ::VariantInit(out);
    return SUCCEEDED(
        ::VariantChangeType(out, &params.rgvarg[params.cArgs - 1 - position], 0, type));
}

bool IsPut(WORD flags, const DISPPARAMS& params) {
    return (flags & DISPATCH_PROPERTYPUT) && params.cArgs == 1;
}

// The alpha bytes of a 32-bit DIB section selected into `dc`, put back as they were when the
// object ends: how an old player that knows nothing of alpha leaves them. Any other target has no
// alpha to keep.
class AlphaKept {
public:
    explicit AlphaKept(HDC dc) {
        if (!dc) return;
        DIBSECTION section{};
        HGDIOBJ bitmap = ::GetCurrentObject(dc, OBJ_BITMAP);
        if (!bitmap || ::GetObjectA(bitmap, sizeof section, &section) != sizeof section ||
            section.dsBm.bmBitsPixel != 32 || !section.dsBm.bmBits) {
            return;
        }
        ::GdiFlush();
        pixels_ = static_cast<std::uint8_t*>(section.dsBm.bmBits);
        const std::size_t count = static_cast<std::size_t>(section.dsBm.bmWidthBytes / 4) *
                                  std::abs(section.dsBm.bmHeight);
        alpha_.resize(count);
        for (std::size_t i = 0; i < count; ++i) alpha_[i] = pixels_[i * 4 + 3];
    }
    ~AlphaKept() {
        if (!pixels_) return;
        ::GdiFlush();
        for (std::size_t i = 0; i < alpha_.size(); ++i) pixels_[i * 4 + 3] = alpha_[i];
    }
    AlphaKept(const AlphaKept&) = delete;
    AlphaKept& operator=(const AlphaKept&) = delete;

private:
    std::uint8_t* pixels_ = nullptr;
    std::vector<std::uint8_t> alpha_;
};

}  // namespace

std::map<UINT_PTR, Player*>& Player::Timers() {
    static std::map<UINT_PTR, Player*> timers;
    return timers;
}

void CALLBACK Player::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    auto found = Timers().find(id);
    if (found != Timers().end()) found->second->Tick();
}

HRESULT Player::SetClientSite(IOleClientSite* site) {
    if (!site) Close();
    site_ = ComPtr<IOleClientSite>::Share(site);
    return S_OK;
}

// In place and windowless when the site allows it; a plain in-place site gets its window
// invalidated instead.
HRESULT Player::Activate() {
    if (active_) return S_OK;
    if (!site_) return E_UNEXPECTED;
    if (settings_.windowless && SUCCEEDED(site_.As(windowlessSite_)) &&
        windowlessSite_->CanWindowlessActivate() == S_OK) {
        BOOL noRedraw = FALSE;
        windowlessSite_->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS);
    } else {
        windowlessSite_.Reset();
        if (FAILED(site_.As(inPlaceSite_)) || inPlaceSite_->CanInPlaceActivate() != S_OK) {
            inPlaceSite_.Reset();
            return E_FAIL;
        }
        inPlaceSite_->OnInPlaceActivate();
    }
    IOleInPlaceSite* site = windowlessSite_ ? windowlessSite_.Get() : inPlaceSite_.Get();
    site->GetWindow(&siteWindow_);
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> document;
    RECT clip{};
    OLEINPLACEFRAMEINFO info{};
    info.cb = sizeof info;
    site->GetWindowContext(frame.Put(), document.Put(), &position_, &clip, &info);
    // Like the real player: DirectDraw from the site when it offers it, nothing when not.
    ComPtr<IServiceProvider> services;
    if (SUCCEEDED(site_.As(services))) {
        services->QueryService(kDirectDrawService, __uuidof(IUnknown), directDraw_.PutVoid());
    }
    active_ = true;
    if (playing_ && !timer_) Play();
    return S_OK;
}

void Player::Deactivate() {
    if (timer_) {
        ::KillTimer(nullptr, timer_);
        Timers().erase(timer_);
        timer_ = 0;
    }
    if (!active_) return;
    active_ = false;
    if (windowlessSite_) windowlessSite_->OnInPlaceDeactivate();
    if (inPlaceSite_) inPlaceSite_->OnInPlaceDeactivate();
    windowlessSite_.Reset();
    inPlaceSite_.Reset();
    directDraw_.Reset();
}

void Player::Close() {
    Deactivate();
    sinks_.clear();
    site_.Reset();
}

void Player::Play() {
    playing_ = true;
    if (!active_ || timer_) return;
    timer_ = ::SetTimer(nullptr, 0, framePeriodMs_, TimerProc);
    if (timer_) Timers()[timer_] = this;
}

// The next frame, shown by the site: the windowless site draws it at once.
void Player::Tick() {
    ++frameNumber_;
    AddRef();  // the site may close the player while it draws
    if (windowlessSite_) {
        windowlessSite_->InvalidateRect(nullptr, FALSE);
    } else if (siteWindow_) {
        ::InvalidateRect(siteWindow_, nullptr, FALSE);
    }
    Release();
}

// A file that exists and begins as a movie; it plays at its own frame rate.
HRESULT Player::LoadMovie(const wchar_t* path) {
    const gatevane::UniqueFileHandle file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ,
                                                        nullptr, OPEN_EXISTING,
                                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return E_FAIL;
    std::uint8_t start[64] = {};
    DWORD read = 0;
    const BOOL readOk = ::ReadFile(file.get(), start, sizeof start, &read, nullptr);
    const std::optional<MovieHeader> header = ReadMovieHeader(start, readOk ? read : 0);
    if (!header) return E_FAIL;
    framePeriodMs_ = static_cast<UINT>(1000.0 / header->framesPerSecond);
    movie_ = path;
    frameNumber_ = 0;
    FireReadyState(4);  // loaded; a host may ignore it
    return S_OK;
}

// Sinks may disconnect while they are called, so the call goes to a copy of the list.
void Player::FireReadyState(long state) noexcept try {
    VARIANT argument;
    ::VariantInit(&argument);
    V_VT(&argument) = VT_I4;
    V_I4(&argument) = state;
    DISPPARAMS params{&argument, nullptr, 1, 0};
    std::map<DWORD, ComPtr<IDispatch>> sinks;
    for (const auto& [cookie, sink] : sinks_) sinks[cookie] = ComPtr<IDispatch>::Share(sink.Get());
    for (const auto& [cookie, sink] : sinks) {
        sink->Invoke(kReadyStateChange, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                     nullptr, nullptr, nullptr);
    }
} catch (...) {
    // Out of memory for the copy: the event is lost, the movie plays on.
}

HRESULT Player::Invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result) {
    if (!settings_.failMember.empty() && settings_.failMember == MemberName(id)) {
        return DISP_E_EXCEPTION;
    }
    VARIANT value;
    switch (id) {
        case kFlashVersion:
            if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
            ::VariantInit(result);
            V_VT(result) = VT_I4;
            V_I4(result) = settings_.version << 16;
            return S_OK;
        case kWMode:
        case kScale:
            if (!IsPut(flags, *params)) return DISP_E_MEMBERNOTFOUND;
            if (!Argument(*params, 0, VT_BSTR, &value)) return DISP_E_TYPEMISMATCH;
            if (id == kWMode) transparent_ = ::lstrcmpiW(V_BSTR(&value), L"transparent") == 0;
            ::VariantClear(&value);
            return S_OK;
        case kBackgroundColor:
            if (!IsPut(flags, *params)) return DISP_E_MEMBERNOTFOUND;
            if (!Argument(*params, 0, VT_I4, &value)) return DISP_E_TYPEMISMATCH;
            // The movie's colour is 0xRRGGBB; GDI's is 0x00BBGGRR.
            background_ =
                RGB(V_I4(&value) >> 16 & 0xFF, V_I4(&value) >> 8 & 0xFF, V_I4(&value) & 0xFF);
            return S_OK;
        case kEmbedMovie:
            if (!IsPut(flags, *params)) return DISP_E_MEMBERNOTFOUND;
            return Argument(*params, 0, VT_BOOL, &value) ? S_OK : DISP_E_TYPEMISMATCH;
        case kLoadMovie: {
            if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
            if (params->cArgs != 2) return DISP_E_BADPARAMCOUNT;
            VARIANT layer;
            if (!Argument(*params, 0, VT_I4, &layer) || !Argument(*params, 1, VT_BSTR, &value)) {
                return DISP_E_TYPEMISMATCH;
            }
            const HRESULT loaded = LoadMovie(V_BSTR(&value));
            ::VariantClear(&value);
            return loaded;
        }
        case kPlay:
            if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
            if (movie_.empty()) return E_UNEXPECTED;
            Play();
            return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
}

const Frame& Player::FrameOfSize(int width, int height) {
    if (frameDrawn_ != frameNumber_ || frame_.width != width || frame_.height != height) {
        frame_ = DrawCreature(width, height, frameNumber_);
        frameDrawn_ = frameNumber_;
    }
    return frame_;
}

DWORD Player::HitTest(const RECT& bounds, POINT point) {
    const Frame& frame = FrameOfSize(bounds.right - bounds.left, bounds.bottom - bounds.top);
    return frame.AlphaAt(point.x - bounds.left, point.y - bounds.top) > 0 ? HITRESULT_HIT
                                                                          : HITRESULT_OUTSIDE;
}

HRESULT Player::Draw(DWORD aspect, HDC dc, const RECT* bounds) {
    if (aspect != DVASPECT_CONTENT && aspect != DVASPECT_TRANSPARENT) return DV_E_DVASPECT;
    if (!dc || !bounds) return E_INVALIDARG;
    const int width = bounds->right - bounds->left;
    const int height = bounds->bottom - bounds->top;
    if (width <= 0 || height <= 0) return S_OK;
    if (movie_.empty()) return S_OK;  // nothing loaded: nothing to show
    if (!transparent_) {
        // An opaque movie stands on its background colour.
        HBRUSH brush = ::CreateSolidBrush(background_);
        ::FillRect(dc, bounds, brush);
        ::DeleteObject(brush);
    }
    BlendInto(dc, *bounds, FrameOfSize(width, height));
    return S_OK;
}

// Over what the device context holds, with the platform's AlphaBlend (premultiplied source). A
// version 8 player paints colours only: whatever alpha the target's pixels had stays as it was.
void Player::BlendInto(HDC dc, const RECT& bounds, const Frame& frame) const {
    const ostrelpet::FrameBuffer source =
        ostrelpet::FrameBuffer::Create(dc, frame.width, frame.height);
    if (!source) return;
    std::copy(frame.pixels.begin(), frame.pixels.end(),
              reinterpret_cast<std::uint32_t*>(source.bits()));
    AlphaKept kept(settings_.version <= 8 ? dc : nullptr);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::GdiAlphaBlend(dc, bounds.left, bounds.top, frame.width, frame.height, source.dc(), 0, 0,
                    frame.width, frame.height, blend);
}

}  // namespace movie_player
