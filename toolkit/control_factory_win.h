#pragma once
// The controls a skin can name, by their element names ("Button", "VerticalLayout", ...).

#include "toolkit/control_win.h"

// A new control of the class, or null for an unknown class.
CControlUI* CreateControlByClass(const char* className);
