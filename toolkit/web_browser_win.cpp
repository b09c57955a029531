#include "toolkit/web_browser_win.h"

#include <oleacc.h>

#include <cstring>

#include "toolkit/paint_manager_win.h"
#include "toolkit/web_browser_host_win.h"

CWebBrowserUI::CWebBrowserUI() = default;

CWebBrowserUI::~CWebBrowserUI() {
    CloseHost();
}

const char* CWebBrowserUI::GetClass() const {
    return "WebBrowserUI";
}

void* CWebBrowserUI::GetInterface(const char* name) {
    return std::strcmp(name, "WebBrowser") == 0 ? this : CControlUI::GetInterface(name);
}

bool CWebBrowserUI::Navigate2(const char* url) {
    url_ = url ? url : "";
    if (!host_ && manager_ && manager_->GetPaintWindow()) {
        host_ = gatevane::WebBrowserHost::Create(manager_->GetPaintWindow());
        if (host_) host_->SetEventHandler(handler_);
    }
    UpdateHost();
    return host_ && host_->Navigate2(url_);
}

void CWebBrowserUI::SetWebBrowserEventHandler(CWebBrowserEventHandler* handler) {
    handler_ = handler;
    if (host_) host_->SetEventHandler(handler);
}

IWebBrowser2* CWebBrowserUI::GetWebBrowser2() const {
    return host_ ? host_->Browser() : nullptr;
}

void CWebBrowserUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
    // The browser lives in the old window.
    if (manager != manager_) CloseHost();
    CControlUI::SetManager(manager, parent);
}

void CWebBrowserUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    UpdateHost();
}

void CWebBrowserUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    UpdateHost();
}

void CWebBrowserUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    UpdateHost();
}

bool CWebBrowserUI::TranslateAccelerator(MSG* msg) {
    return host_ && IsVisible() && host_->TranslateAccelerator(msg);
}

long CWebBrowserUI::AccessibleRole() const {
    return ROLE_SYSTEM_DOCUMENT;
}

CDuiString CWebBrowserUI::AccessibleValue() const {
    return url_;
}

void CWebBrowserUI::CloseHost() {
    if (!host_) return;
    host_->Close();
    host_.Reset();
}

void CWebBrowserUI::UpdateHost() {
    if (!host_) return;
    host_->SetBounds(pos_);
    host_->SetVisible(IsVisible());
}
