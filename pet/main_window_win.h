#pragma once
// PetMainWindow: the program's hidden main window (class "OSTRELPET"). It owns PetWindow, is
// what a second copy of the program finds, and its destruction ends the program. It is never
// shown, but keeps the usual menu (Exit, About) and the About box.

#include <windows.h>

namespace ostrelpet {

constexpr int kPetSize = 165;

// Registers the class `className` with the main window's procedure, icons, menu and cursor.
bool RegisterMainWindowClass(HINSTANCE instance, const char* className);

// The hidden main window, 165 × 165 in the lower right corner of the screen; null on failure.
HWND CreateMainWindow(HINSTANCE instance, const char* className, const char* title);

}  // namespace ostrelpet
