#include "toolkit/control_factory.h"

#include <cstring>
#include <functional>
#include <map>
#include <string>

#include "toolkit/button.h"
#include "toolkit/combo.h"
#include "toolkit/container.h"
#include "toolkit/edit.h"
#include "toolkit/label.h"
#include "toolkit/option.h"
#include "toolkit/progress.h"
#include "toolkit/verify.h"
#include "toolkit/web_browser.h"

CControlUI* CreateControlByClass(const char* className) {
    static const std::map<std::string, std::function<CControlUI*()>> kinds = {
        {"Control", [] { return new CControlUI; }},
        {"Container", [] { return new CContainerUI; }},
        {"VerticalLayout", [] { return new CVerticalLayoutUI; }},
        {"HorizontalLayout", [] { return new CHorizontalLayoutUI; }},
        {"TabLayout", [] { return new CTabLayoutUI; }},
        {"Label", [] { return new CLabelUI; }},
        {"Text", [] { return new CTextUI; }},
        {"Button", [] { return new CButtonUI; }},
        {"Option", [] { return new COptionUI; }},
        {"Edit", [] { return new CEditUI; }},
        {"RichEdit", [] { return new CRichEditUI; }},
        {"Progress", [] { return new CProgressUI; }},
        {"Combo", [] { return new CComboUI; }},
        {"Verify", [] { return new CVerifyUI; }},
        {"WebBrowser", [] { return new CWebBrowserUI; }},
    };
    auto found = kinds.find(className ? className : "");
    return found == kinds.end() ? nullptr : found->second();
}
