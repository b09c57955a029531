#pragma once
// Swapping in a new launcher that an update left verified in UpdateDownLoad\Quarnel.exe.
//
// A running program cannot be replaced, only renamed, and a rename away followed by a rename in
// leaves a moment without any Quarnel.exe: a crash or power cut then would leave the hall without
// its launcher. So the swap is done by a copy of the running launcher, QuarnelOld.exe, once the
// running one has ended, when Quarnel.exe is a file like any other and one atomic move replaces it:
//
//   Quarnel.exe (old)  : pending verified copy? -> copy itself to QuarnelOld.exe, start it with
//                        the same command line, end
//   QuarnelOld.exe     : wait for the old launcher to end (the "Quarnel" mutex, bounded)
//                        -> move UpdateDownLoad\Quarnel.exe over Quarnel.exe (atomic, retried)
//                        -> start Quarnel.exe with the same command line
//                        -> it cannot start: put the old launcher (itself) back, atomically,
//                           and start that
//   Quarnel.exe (new)  : runs; start-up deletes QuarnelOld.exe
//
// At every step Quarnel.exe is a whole, startable launcher: the old one until the move, the new
// one after it, the old one again after a roll-back. A swap that cannot begin leaves everything as
// it is and the running launcher goes on.

#include <string>

namespace gatevane {

// Whether this process is the swapping copy (it runs as QuarnelOld.exe of its program folder).
bool RunningAsLauncherSwap();

// The swapping copy's whole work, given the original command line. The process ends after it.
void CompleteLauncherSwap(const std::string& commandLine);

// The running launcher's part: true when a swap has begun and this process must end; false when
// there is nothing to swap in or the swap cannot begin (the launcher goes on).
bool BeginLauncherSwap(const std::string& commandLine);

}  // namespace gatevane
