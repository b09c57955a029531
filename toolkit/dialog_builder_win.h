#pragma once
// Builds a control tree from a skin file (or from skin text starting with '<'): the window's
// size, caption band and corners, fonts and class defaults go to the paint manager; each control
// element becomes a control with the class defaults and then its own attributes applied.

#include "toolkit/control_win.h"

class CDialogBuilder {
public:
    // `xml`: a file name relative to the resource path, or the skin text itself. `type` is not
    // used (skins are files). Returns the root control, not yet attached; null on any fault.
    CControlUI* Create(const char* xml, const char* type = nullptr,
                       IDialogBuilderCallback* callback = nullptr,
                       CPaintManagerUI* manager = nullptr, CControlUI* parent = nullptr);
    // Why the last Create failed, for skin authors (the preview tool shows it).
    const CDuiString& GetLastError() const { return error_; }

private:
    CDuiString error_;
};
