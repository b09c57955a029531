#include "toolkit/tooltip_win.h"

#include <commctrl.h>

#include "toolkit/control_win.h"

void ToolTip::Create(HWND owner, HINSTANCE instance) {
    owner_ = owner;
    window_.reset(::CreateWindowExA(
        0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance, nullptr));
}

void ToolTip::Track(CControlUI* control) {
    if (!window_ || control == control_) return;
    control_ = control;
    TOOLINFOA info{};
    info.cbSize = sizeof(info);
    info.hwnd = owner_;
    info.uId = 1;
    ::SendMessageA(window_.get(), TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    if (!control || control->GetToolTip().IsEmpty()) return;
    info.uFlags = TTF_SUBCLASS;
    info.rect = control->GetPos();
    info.lpszText = const_cast<char*>(control->GetToolTip().GetData());
    ::SendMessageA(window_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}
