#pragma once
// The keyboard focus's tab order: the focusable, enabled and visible controls of a tree, parents
// before children.

class CControlUI;

namespace focus {

// The control Tab (forward) or Shift+Tab moves the focus to from `current`; from a control
// outside the order, the first or the last one. Null when no control can take the focus.
CControlUI* NextTabStop(CControlUI* root, CControlUI* current, bool forward);

}  // namespace focus
