#pragma once
// Walks over a window's control tree: ancestry and a depth-first search in painting order.

#include <vector>

#include "toolkit/control_win.h"

namespace control_tree {

// Whether `control` is `ancestor` or lies inside it.
inline bool IsWithin(const CControlUI* control, const CControlUI* ancestor) {
    for (; control; control = control->GetParent()) {
        if (control == ancestor) return true;
    }
    return false;
}

// The control and its parents, innermost first.
inline std::vector<CControlUI*> Ancestry(CControlUI* control) {
    std::vector<CControlUI*> chain;
    for (; control; control = control->GetParent()) chain.push_back(control);
    return chain;
}

// The first control, parents before children, for which `match` is true; null if none.
template <typename Visit>
CControlUI* Find(CControlUI* root, Visit match) {
    if (!root) return nullptr;
    std::vector<CControlUI*> pending{root};
    while (!pending.empty()) {
        CControlUI* control = pending.back();
        pending.pop_back();
        if (match(control)) return control;
        for (int i = control->GetChildCount() - 1; i >= 0; --i) {
            pending.push_back(control->GetChildAt(i));
        }
    }
    return nullptr;
}

}  // namespace control_tree
