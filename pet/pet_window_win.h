#pragma once
// PetWindow: the layered, topmost popup that shows the pet. Its procedure works on the FlashHost
// kept in the window's user data (stored at WM_CREATE from the creation parameter):
//
// - hit test: the control's view object says whether the cursor is over the pet; over a clear
//   pixel the window is transparent to the mouse;
// - left button: the platform moves the window with the mouse (the caption trick) until the button
//   comes up; a press and release less than 10 pixels apart is a click, told to the watched window
//   with message 1111; the right button is swallowed, so the control shows no menu;
// - the watch tick (timer 1, every 500 ms): the pet ends once the watched window has been missing
//   on more than three ticks in a row;
// - keyboard, cursor, timer and mouse messages go to the windowless control first.

#include <windows.h>

#include <string>

namespace ostrelpet {

constexpr char kPetWindowClass[] = "MyOleControl";
constexpr char kPetWindowTitle[] = "MyOleControlWindow";
constexpr UINT_PTR kWatchTimer = 1;
constexpr UINT kWatchPeriodMs = 500;
// Posted to the watched window when the pet is clicked (WM_USER + 87).
constexpr UINT kPetClickMessage = 1111;

// The title of the window to watch and to tell about clicks ("/Title:"); empty watches nothing.
void SetWatchedTitle(const std::string& title);

// Registers the window class with PetWindow's procedure (again is fine).
bool RegisterPetWindowClass(HINSTANCE instance);

}  // namespace ostrelpet
