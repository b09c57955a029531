#pragma once
// The colour-depth hook: while installed, GetDeviceCaps answers 32 for BITSPIXEL to every caller
// in the process (the movie player included), whatever the display's depth; every other index is
// answered by the platform's own function. It patches the start of gdi32's GetDeviceCaps with a
// jump to a replacement (pet/code_patch.h); for any other index the replacement gives the
// function its bytes back for the call and patches it again.
//
//   NotInstalled --Install--> Installed --Remove (or end of the program)--> NotInstalled
//
// The replacement serialises those calls among the program's own threads, and every write
// happens with the other threads suspended (pet/code_writer_win.h): no thread ever runs a
// half-written jump. A thread that calls GetDeviceCaps while another thread's call has the jump
// taken out gets the platform's own answer for that one call.

namespace ostrelpet {

enum class HookResult {
    Installed,
    NoGdi,        // gdi32.dll (or its GetDeviceCaps) cannot be found or loaded
    NotWritable,  // the code could not be patched
};

class ColorDepthHook {
public:
    static HookResult Install();
    static void Remove();
    static bool installed();
};

}  // namespace ostrelpet
