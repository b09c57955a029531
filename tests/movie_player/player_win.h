#pragma once
// The stand-in movie player: an ActiveX control registered under the Flash player's class id for
// the tests and the demo (the real player is outside the system and cannot be installed here). It
// offers what OstrelPet's host uses, and nothing is faked: it is created by OleCreate, activated
// in place without a window, draws the creature (creature.h) into whatever device context it is
// given, answers hit tests from the pixels of its frame, and asks its site for a new frame 24 times
// a second once a movie plays.
//
//   Created --SetClientSite/InitNew--> Loaded --DoVerb--> Active --LoadMovie, Play--> Playing
//   any --Close--> Closed (timer stopped, site released)
//
// Automation (IDispatch, by name): FlashVersion (read), WMode, Scale, BackgroundColor and
// EmbedMovie (write), LoadMovie(layer, path) (refuses a file that does not exist or is no SWF
// movie; plays at the movie's frame rate), Play().
// Events go to the connected _IShockwaveFlashEvents sinks: ready state 4 once a movie is loaded.
//
// Settings, values of its class key (HKLM\Software\Classes\CLSID\{D27CDB6E-...}):
//   PlayerVersion (DWORD, default 10): the major version it reports. 8 draws opaque colours over
//                 what the device context holds (the host must find the alpha itself); later
//                 versions write premultiplied alpha.
//   FailMember (string): one automation name that then fails, as a broken player's would.
//   Windowless (DWORD, default 1): 0 makes it a windowed-only control (no
//                 IOleInPlaceObjectWindowless); the host then asks it to draw on WM_PAINT.

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <oleidl.h>

#include <map>
#include <memory>
#include <string>

#include "pet/com_ptr_win.h"
#include "tests/movie_player/creature.h"

namespace movie_player {

using ostrelpet::ComPtr;

extern const CLSID kPlayerClass;
extern const IID kPlayerInterface;  // IShockwaveFlash: here the player's IDispatch
extern const IID kPlayerEvents;     // _IShockwaveFlashEvents

enum MemberId : DISPID {
    kFlashVersion = 1,
    kWMode,
    kScale,
    kBackgroundColor,
    kEmbedMovie,
    kLoadMovie,
    kPlay,
};
const wchar_t* MemberName(DISPID id);

// Objects alive in this DLL, for DllCanUnloadNow.
extern LONG liveObjects;

struct PlayerSettings {
    int version = 10;
    std::wstring failMember;
    bool windowless = true;

    static PlayerSettings Read();
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

class Player final : public IUnknown {
public:
    explicit Player(PlayerSettings settings);
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

private:
    class OleObject;
    class View;
    class InPlace;
    class Points;
    class EventPoint;
    class Automation;
    class Persist;
    struct Faces;

    ~Player();
    void* FaceFor(REFIID iid);

    // Behaviour behind the faces.
    HRESULT SetClientSite(IOleClientSite* site);
    HRESULT Activate();
    void Deactivate();
    void Close();
    HRESULT Draw(DWORD aspect, HDC dc, const RECT* bounds);
    DWORD HitTest(const RECT& bounds, POINT point);
    HRESULT Invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result);
    HRESULT LoadMovie(const wchar_t* path);
    void Play();
    void Tick();
    void FireReadyState(long state) noexcept;
    const Frame& FrameOfSize(int width, int height);
    void BlendInto(HDC dc, const RECT& bounds, const Frame& frame) const;

    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);
    static std::map<UINT_PTR, Player*>& Timers();

    LONG references_ = 1;
    std::unique_ptr<Faces> faces_;
    PlayerSettings settings_;
    ComPtr<IOleClientSite> site_;
    ComPtr<IOleInPlaceSiteWindowless> windowlessSite_;
    ComPtr<IOleInPlaceSite> inPlaceSite_;
    ComPtr<IUnknown> directDraw_;
    HWND siteWindow_ = nullptr;
    RECT position_{};
    bool active_ = false;
    bool playing_ = false;
    std::wstring movie_;
    UINT framePeriodMs_ = 1000 / kFramesPerSecond;
    bool transparent_ = false;  // WMode "transparent": drawn over what is there
    COLORREF background_ = 0;   // BackgroundColor, under an opaque movie
    UINT_PTR timer_ = 0;
    int frameNumber_ = 0;
    Frame frame_;
    int frameDrawn_ = -1;
    std::map<DWORD, ComPtr<IDispatch>> sinks_;
    DWORD nextCookie_ = 1;
};

#pragma GCC diagnostic pop

}  // namespace movie_player
