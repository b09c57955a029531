#pragma once
// What a window that shows a web page answers to its browser: the navigation events, the document
// host's questions (context menu, keys, the script's external object, ...) and the download
// question. Every answer has a default that leaves the browser to behave as on its own, so a
// window overrides only what it cares about. These are plain C++ operations, not COM methods: the
// web browser host translates between them and the platform's interfaces.

#include <windows.h>
#include <mshtmhst.h>

class CWebBrowserEventHandler {
public:
    virtual ~CWebBrowserEventHandler() = default;

    // Navigation events. Setting *cancel to VARIANT_TRUE stops the navigation or the new window.
    virtual void BeforeNavigate2(IDispatch* /*browser*/, VARIANT*& /*url*/, VARIANT*& /*flags*/,
                                 VARIANT*& /*targetFrameName*/, VARIANT*& /*postData*/,
                                 VARIANT*& /*headers*/, VARIANT_BOOL*& /*cancel*/) {}
    virtual void NavigateError(IDispatch* /*browser*/, VARIANT*& /*url*/, VARIANT*& /*frame*/,
                               VARIANT*& /*statusCode*/, VARIANT_BOOL*& /*cancel*/) {}
    virtual void NavigateComplete2(IDispatch* /*browser*/, VARIANT*& /*url*/) {}
    virtual void ProgressChange(LONG /*progress*/, LONG /*progressMax*/) {}
    virtual void NewWindow3(IDispatch** /*browser*/, VARIANT_BOOL*& /*cancel*/, DWORD /*flags*/,
                            BSTR /*urlContext*/, BSTR /*url*/) {}
    virtual void CommandStateChange(long /*command*/, VARIANT_BOOL /*enable*/) {}

    // The document host's questions, as IDocHostUIHandler asks them. Their output pointers are
    // never null: the host refuses such a question before it gets here.
    // E_NOTIMPL: the browser shows its own context menu.
    virtual HRESULT ShowContextMenu(DWORD /*id*/, POINT* /*point*/, IUnknown* /*commandTarget*/,
                                    IDispatch* /*object*/) {
        return E_NOTIMPL;
    }
    virtual HRESULT GetHostInfo(DOCHOSTUIINFO* /*info*/) { return S_OK; }
    // S_FALSE: the host shows no menus or toolbars of its own for the document.
    virtual HRESULT ShowUI(DWORD /*id*/, IOleInPlaceActiveObject* /*activeObject*/,
                           IOleCommandTarget* /*commandTarget*/, IOleInPlaceFrame* /*frame*/,
                           IOleInPlaceUIWindow* /*document*/) {
        return S_FALSE;
    }
    virtual HRESULT HideUI() { return S_OK; }
    virtual HRESULT UpdateUI() { return S_OK; }
    virtual HRESULT EnableModeless(BOOL /*enable*/) { return S_OK; }
    virtual HRESULT OnDocWindowActivate(BOOL /*activate*/) { return S_OK; }
    virtual HRESULT OnFrameWindowActivate(BOOL /*activate*/) { return S_OK; }
    virtual HRESULT ResizeBorder(LPCRECT /*border*/, IOleInPlaceUIWindow* /*window*/,
                                 BOOL /*frameWindow*/) {
        return S_OK;
    }
    // S_FALSE: the key was not the host's, so the browser handles it.
    virtual HRESULT TranslateAccelerator(LPMSG /*message*/, const GUID* /*commandGroup*/,
                                         DWORD /*commandId*/) {
        return S_FALSE;
    }
    // A null key: the browser keeps its own settings.
    virtual HRESULT GetOptionKeyPath(LPOLESTR* key, DWORD /*reserved*/) {
        *key = nullptr;
        return S_OK;
    }
    virtual HRESULT GetDropTarget(IDropTarget* /*browserTarget*/, IDropTarget** hostTarget) {
        *hostTarget = nullptr;
        return E_NOTIMPL;
    }
    // The object scripts reach as window.external; none by default.
    virtual HRESULT GetExternal(IDispatch** dispatch) {
        *dispatch = nullptr;
        return S_OK;
    }
    virtual HRESULT TranslateUrl(DWORD /*translate*/, LPWSTR /*url*/, LPWSTR* translated) {
        *translated = nullptr;
        return S_OK;
    }
    virtual HRESULT FilterDataObject(IDataObject* /*object*/, IDataObject** filtered) {
        *filtered = nullptr;
        return S_OK;
    }

    // The download manager's question: S_OK tells the browser the download was taken care of, so
    // no download dialog ever appears over the launcher.
    virtual HRESULT Download(IMoniker* /*moniker*/, IBindCtx* /*bindContext*/, DWORD /*bindVerb*/,
                             LONG /*bindFlags*/, LPCOLESTR /*headers*/, LPCOLESTR /*redirect*/,
                             UINT /*codePage*/) {
        return S_OK;
    }
};
