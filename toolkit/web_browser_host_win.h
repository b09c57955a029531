#pragma once
// The site of the platform's WebBrowser control inside a toolkit window. It is one COM object
// with one identity and one reference count; the interfaces the browser asks its site for (client
// site, in-place site and frame, document host, service provider, download manager, event sink)
// are faces of it that answer IUnknown through the host.
//
// The browser holds references to the host and the host holds the browser, so the owner calls
// Close before letting go: that breaks the cycle and frees both.
//
// The browser's window lives in a child area of the parent window that the host owns: SetBounds
// moves that area and SetVisible shows or hides it, so the toolkit never touches the browser's
// own windows.

#include <windows.h>
#include <exdisp.h>
#include <wrl/client.h>

#include <memory>

#include "base/unique_handle_win.h"

class CWebBrowserEventHandler;

namespace gatevane {

// COM objects end through Release, never through a delete of an interface pointer, so the
// platform's interfaces have no virtual destructor to warn about.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

class WebBrowserHost final : public IUnknown {
public:
    // The browser in place in `parent` (empty and shown until SetBounds), with script error
    // dialogs silenced. Null when any step fails, with everything made until then undone; nothing
    // is shown to the user then. The calling thread has initialized OLE.
    static Microsoft::WRL::ComPtr<WebBrowserHost> Create(HWND parent);

    WebBrowserHost(const WebBrowserHost&) = delete;
    WebBrowserHost& operator=(const WebBrowserHost&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    void SetBounds(const RECT& rectInParent);
    void SetVisible(bool visible);
    // `url` is ANSI text in the system's code page. False when there is no browser or it refused.
    bool Navigate2(const char* url);
    // Not owned; null gives the browser the defaults of CWebBrowserEventHandler.
    void SetEventHandler(CWebBrowserEventHandler* handler);
    // Gives the browser a chance at a key message aimed at one of its windows; true when the
    // browser took it and the message loop must not dispatch it.
    bool TranslateAccelerator(MSG* message);
    // Disconnects and frees the browser and the child area. Safe to call again.
    void Close();

    IWebBrowser2* Browser() const { return browser_.Get(); }

private:
    class ClientSite;
    class InPlaceSite;
    class InPlaceFrame;
    class DocumentHost;
    class Services;
    class Downloads;
    class EventSink;
    struct Faces;

    WebBrowserHost();
    ~WebBrowserHost();

    bool Open(HWND parent);
    // The face that answers for `iid`, as that interface's pointer; null when there is none.
    void* FaceFor(REFIID iid);
    bool ConnectEvents();
    void DisconnectEvents();
    CWebBrowserEventHandler& Handler() const;
    HWND FrameWindow() const;
    RECT AreaRect() const;

    // The first reference is the one Create hands out. (It is not given by ComPtr::Attach: mingw's
    // Attach adds a reference of its own, unlike the platform's.)
    LONG references_ = 0;
    std::unique_ptr<Faces> faces_;
    UniqueWindow area_;
    CWebBrowserEventHandler* handler_ = nullptr;
    Microsoft::WRL::ComPtr<IWebBrowser2> browser_;
    Microsoft::WRL::ComPtr<IConnectionPoint> events_;
    DWORD eventsCookie_ = 0;
};

#pragma GCC diagnostic pop

}  // namespace gatevane
