#pragma once
// The end of every way through the launcher: the lobby host "<program folder>/Quarnel.run" is
// started with the player's logon, scrambled, as its command line, and the launcher's message loop
// ends. When the lobby cannot start, the player reads why in the calling window's message box and
// the window stays usable for another try.

#include <string>

#include "toolkit/window_wnd_win.h"

namespace gatevane {

std::string LobbyHostPath();

// Starts the lobby with " <scrambled>" as its command line; an empty text starts nothing.
void StartLobby(CWindowWnd& window, const std::string& scrambled);

// Scrambles the plain command line and starts the lobby with it. A line too long to scramble
// (over 255 bytes, a very long OpenID) is refused with a message: the lobby never gets a line cut
// short.
void HandOffLogon(CWindowWnd& window, const std::string& plainCommandLine);

// After a completed update: the lobby with an empty command line.
void StartLobbyWithoutLogon(CWindowWnd& window);

}  // namespace gatevane
