#pragma once
// What assistive technology (screen readers, and the tests' automation client) sees of a toolkit
// window: an IAccessible for the window's client area whose children are its named controls and
// the elements of its drop-down lists.

#include <windows.h>

class CPaintManagerUI;

// The IAccessible interface id. mingw's IID_IAccessible resolves to a wrong value in static
// builds, so servers and clients of the toolkit use this one.
inline constexpr IID kIidAccessible = {
    0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// Answers WM_GETOBJECT for the window's client area; false for any other object (the system's
// default handling then applies).
bool AnswerAccessibleObject(CPaintManagerUI* manager, WPARAM wParam, LPARAM lParam,
                            LRESULT& result);
