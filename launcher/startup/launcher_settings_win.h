#pragma once
// The launcher's one settings record: the nine scrambled logon server lines and the selected line
// (ServerInfo.ini), the skin (SkinInfo.ini), the hall's hosts (Gatevane.ini), and whether to run
// the update check. Both files are read from the current directory; every key has a default.

#include <cstdint>
#include <string>

#include "launcher/startup/hall_hosts.h"
#include "launcher/startup/program_folder_win.h"
#include "launcher/startup/server_lines.h"

namespace gatevane {

// Built-in defaults, replaced where the operator's Gatevane.ini names other hosts.
extern const char kBuiltInServerEntry[];  // scrambled, used for a missing "logon%d" key
extern const char kBuiltInLogonHost[];

struct LauncherSettings {
    char serverEntries[kServerLineCount][kPathCapacity] = {};
    std::int32_t selectedLine = 0;
    std::string defaultLogonHost = kBuiltInLogonHost;
    HallHosts hosts;
    bool skinUsesImage = false;
    std::uint32_t skinColor = 0;
    std::uint32_t skinImage = 0;
    bool UpdateOnStart = true;

    // Reads the server list, the skin and the host overrides, then ends a running desktop pet.
    // Always true.
    bool LoadSettings();
    void LoadServerList();
    void LoadSkinInfo();
    void LoadHostOverrides();

    // Entry `index` (0..8; larger gives entry 0), or the selected entry for a negative index.
    const char* GetServerEntry(int index);
    // Stores a new selected line in ServerInfo.ini; memory follows only a successful write.
    void SelectServerLine(int index);
};

// The process-wide record, constructed before the entry point runs.
extern LauncherSettings theSettings;

}  // namespace gatevane
