#pragma once
// What the launcher's logon and registration pages get from their browser: the toolkit's
// defaults for every navigation event and document host question (navigation and new windows
// go ahead, the browser's own context menu and keys, no download dialog), and as window.external
// the external object of the window that shows the page. Each window attaches its object before
// its page loads; until then, or on any other page, scripts find no external object.

#include <windows.h>

#include "toolkit/web_browser_event_handler_win.h"

namespace gatevane {

class WebExternalHandler final : public CWebBrowserEventHandler {
public:
    // Not owned: the object is part of the window that shows the page and lives as long as it.
    // A window that goes before the process ends attaches null on its way out.
    void Attach(IDispatch* external) { external_ = external; }
    // The attached object with a reference for the caller, or null; always S_OK.
    HRESULT GetExternal(IDispatch** dispatch) override;

private:
    IDispatch* external_ = nullptr;
};

// The login window's QQ and WeChat pages.
extern WebExternalHandler theLoginWebHandler;
// The registration window's phone-registration page.
extern WebExternalHandler theRegisterWebHandler;

}  // namespace gatevane
