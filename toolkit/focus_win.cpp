#include "toolkit/focus_win.h"

#include <algorithm>
#include <vector>

#include "toolkit/control_tree_win.h"

namespace focus {

CControlUI* NextTabStop(CControlUI* root, CControlUI* current, bool forward) {
    std::vector<CControlUI*> order;
    control_tree::Find(root, [&order](CControlUI* control) {
        if (control->IsFocusable() && control->IsEnabled() && control->IsVisible()) {
            order.push_back(control);
        }
        return false;
    });
    if (order.empty()) return nullptr;
    auto at = std::find(order.begin(), order.end(), current);
    size_t index = at == order.end() ? (forward ? order.size() - 1 : 0) : at - order.begin();
    index = forward ? (index + 1) % order.size() : (index + order.size() - 1) % order.size();
    return order[index];
}

}  // namespace focus
