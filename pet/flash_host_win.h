#pragma once
// FlashHost: the pet's container for the movie player control (the Flash player's ActiveX
// control, or any control that answers the same names). It makes PetWindow, creates the control
// in it as a windowless, transparent in-place object, plays the pet movie, and puts every frame
// the control paints on the screen through a 32-bit buffer with per-pixel alpha and
// UpdateLayeredWindow.
//
// It is one COM object with one identity: the control's client site, in-place site (windowless),
// in-place frame, storage, event sink and service provider are faces of it that answer IUnknown
// through the host. The program owns it (it is created and deleted like any object); the
// reference count serves COM only and never frees it.
//
//   Empty --CreateHost--> Playing --(destructor)--> Released
//           \--any step fails--> Empty again (control released, PetWindow destroyed)
//
// While Playing, the control asks for frames (InvalidateRect on the windowless site); each frame is
// drawn whole into the buffers, which are made again whenever PetWindow's rectangle has changed.
// A player of major version 8 cannot write alpha: it is drawn once over black and once over white
// and the alpha comes from the difference (pet/two_pass_alpha.h).

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>
#include <servprov.h>

#include <memory>

#include "base/unique_handle_win.h"
#include "pet/com_ptr_win.h"
#include "pet/frame_buffer_win.h"
#include "pet/late_bound_win.h"

namespace ostrelpet {

// The Flash player control's class; the stand-in player of the tests registers under it too.
extern const CLSID kFlashPlayerClass;
// The player's event interface, to which the host connects its (silent) event sink.
extern const IID kFlashEvents;

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

class FlashHost final : public IUnknown {
public:
    FlashHost();
    // Releases the control in order (events, close, interfaces), then the buffers and PetWindow.
    ~FlashHost();
    FlashHost(const FlashHost&) = delete;
    FlashHost& operator=(const FlashHost&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // Makes PetWindow (extended style and style as given, over the owner's window rectangle, or
    // its client rectangle for a child), creates the control of `control` in it, configures and
    // starts the movie and the watch timer. False when any step fails: then nothing of the control
    // and no PetWindow is left. The calling thread has initialised OLE.
    bool CreateHost(const CLSID& control, DWORD extendedStyle, DWORD style, HWND owner,
                    HINSTANCE instance);

    // Draws the control: into `dc` (or PetWindow's own) when not layered; else into the buffers,
    // which go to the screen with UpdateLayeredWindow. `rect` and `erase` are the control's request
    // and are not needed: every frame is drawn whole.
    void RenderFrame(HDC dc, const RECT* rect, bool erase);

    // What PetWindow's procedure works on.
    HWND window() const { return window_.get(); }
    bool layered() const { return layered_; }
    IViewObjectEx* viewObjectEx() const { return viewObjectEx_.Get(); }
    IOleInPlaceObjectWindowless* windowlessObject() const { return windowlessObject_.Get(); }
    IOleInPlaceObject* inPlaceObject() const { return inPlaceObject_.Get(); }

    // The last frame as handed to UpdateLayeredWindow (tests and the benchmark look at it), and
    // how it was made.
    const FrameBuffer& frame() const { return black_; }
    bool twoPassAlpha() const { return twoPassAlpha_; }
    long flashVersion() const { return flashVersion_; }
    // Time spent in the per-pixel alpha pass by the last frame, in performance counter ticks.
    long long lastAlphaPassTicks() const { return lastAlphaPassTicks_; }

private:
    class ClientSite;
    class InPlaceSite;
    class InPlaceFrame;
    class Storage;
    class EventSink;
    class Services;
    struct Faces;

    using UpdateLayeredWindowFunction = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*,
                                                      COLORREF, BLENDFUNCTION*, DWORD);

    void* FaceFor(REFIID iid);
    bool CreatePetWindow(DWORD extendedStyle, DWORD style);
    bool CreateControl();
    void DropLayered();
    bool ConfigureMovie();
    bool Activate();
    bool StartMovie();
    bool FindUpdateLayeredWindow();
    void ReleaseControl();
    void Shutdown();
    IViewObject* ViewObject() const;
    RECT ClientRect() const;
    void RenderWindowed(HDC dc);
    void RenderLayered();
    bool BuffersFit(const RECT& windowRect) const;
    void MakeBuffers(const RECT& windowRect);
    void DrawInto(const FrameBuffer& buffer, std::uint8_t background);
    HRESULT ProvideDirectDraw(void** object);

    ULONG references_ = 0;
    std::unique_ptr<Faces> faces_;

    CLSID controlClass_{};
    HWND owner_ = nullptr;
    HINSTANCE instance_ = nullptr;
    bool childWindow_ = false;
    bool layered_ = false;
    bool twoPassAlpha_ = false;
    long flashVersion_ = 0;

    gatevane::UniqueWindow window_;
    LateBound flash_;
    ComPtr<IOleObject> oleObject_;
    ComPtr<IViewObject> viewObject_;
    ComPtr<IViewObjectEx> viewObjectEx_;
    ComPtr<IOleInPlaceObject> inPlaceObject_;
    ComPtr<IOleInPlaceObjectWindowless> windowlessObject_;
    ComPtr<IConnectionPointContainer> pointContainer_;
    ComPtr<IConnectionPoint> eventPoint_;
    DWORD adviseCookie_ = 0;
    ComPtr<IUnknown> directDraw_;

    gatevane::UniqueModule user32_;
    UpdateLayeredWindowFunction updateLayeredWindow_ = nullptr;
    FrameBuffer black_;
    FrameBuffer white_;
    RECT bufferRect_{};
    long long lastAlphaPassTicks_ = 0;
};

#pragma GCC diagnostic pop

}  // namespace ostrelpet
