#pragma once
// A web page area: hosts the platform's web browser control in the window while it has a page to
// show. Until then, or when the platform cannot provide a browser, it shows its background image.

#include <wrl/client.h>

#include "toolkit/control_win.h"

class CWebBrowserEventHandler;
namespace gatevane {
class WebBrowserHost;
}
struct IWebBrowser2;

class CWebBrowserUI : public CControlUI {
public:
    CWebBrowserUI();
    ~CWebBrowserUI() override;
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;

    // Loads the address (ANSI); false when no browser can be created.
    bool Navigate2(const char* url);
    // The handler answers the browser's questions (the external object of the page, ...).
    void SetWebBrowserEventHandler(CWebBrowserEventHandler* handler);
    IWebBrowser2* GetWebBrowser2() const;
    const CDuiString& GetUrl() const { return url_; }

    void SetManager(CPaintManagerUI* manager, CControlUI* parent) override;
    void SetPos(RECT rc) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    bool TranslateAccelerator(MSG* msg) override;
    long AccessibleRole() const override;
    CDuiString AccessibleValue() const override;

private:
    void CloseHost();
    void UpdateHost();

    Microsoft::WRL::ComPtr<gatevane::WebBrowserHost> host_;
    CWebBrowserEventHandler* handler_ = nullptr;
    CDuiString url_;
};
