#pragma once
// Saves what the screen shows of a window (children, rounded corners and all) as a PNG file.

#include <windows.h>

#include <string>

// False with a reason in `error` when the picture cannot be taken or written.
bool SaveWindowPicture(HWND window, const std::string& pngPath, std::string& error);

// The same for an area of the screen (a window with its drop-down box, say).
bool SaveScreenPicture(const RECT& area, const std::string& pngPath, std::string& error);
