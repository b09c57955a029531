#pragma once

class CControlUI;

namespace gatevane {

// Gives a window's background control the background of the skin settings (picture or colour),
// or leaves it as the skin file made it. A missing control is skipped.
void ApplySkinBackground(CControlUI* control);

}  // namespace gatevane
