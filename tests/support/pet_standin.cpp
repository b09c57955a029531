// A stand-in for a running desktop pet: a process that stays until it is ended (at most a minute,
// so a failed test leaves nothing behind for long). Tests copy it under the pet's file name.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    ::Sleep(60000);
    return 3;
}
