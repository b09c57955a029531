#include "toolkit/control_factory_win.h"

#include <cstring>
#include <functional>
#include <map>
#include <string>

#include "toolkit/button_win.h"
#include "toolkit/combo_win.h"
#include "toolkit/container_win.h"
#include "toolkit/edit_win.h"
#include "toolkit/label_win.h"
#include "toolkit/option_win.h"
#include "toolkit/progress_win.h"
#include "toolkit/verify_win.h"
#include "toolkit/web_browser_win.h"

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
