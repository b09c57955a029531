#include "launcher/startup/launcher_settings_win.h"

#include <windows.h>

#include <cstdio>

#include "launcher/startup/process_control_win.h"

namespace gatevane {

// "line.velmora.cn", scrambled.
const char kBuiltInServerEntry[] = "0f631079315f3e5b436d0f791075315d3e53432c0f7d1071311f3e5d432d";
const char kBuiltInLogonHost[] = "logon.velmora.cn";

LauncherSettings theSettings;

namespace {

constexpr char kServerSection[] = "logon";
constexpr char kSkinSection[] = "Skin";
constexpr char kHostSection[] = "Hosts";

// "<current directory>\<name>", cut to the path limit.
std::string CurrentDirectoryFile(const char* name) {
    char folder[kPathCapacity] = {};
    ::GetCurrentDirectoryA(sizeof folder, folder);
    char path[kPathCapacity];
    std::snprintf(path, sizeof path, "%s\\%s", folder, name);
    return path;
}

std::string ServerInfoPath() {
    return CurrentDirectoryFile("ServerInfo.ini");
}

}  // namespace

bool LauncherSettings::LoadSettings() {
    LoadServerList();
    LoadSkinInfo();
    LoadHostOverrides();
    EndProcessByName("OstrelPet.dll");
    return true;
}

void LauncherSettings::LoadServerList() {
    const std::string file = ServerInfoPath();
    selectedLine = static_cast<std::int32_t>(
        ::GetPrivateProfileIntA(kServerSection, "selected", 0, file.c_str()));
    for (int i = 0; i < kServerLineCount; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "logon%d", i);
        ::GetPrivateProfileStringA(kServerSection, key, kBuiltInServerEntry, serverEntries[i],
                                   sizeof serverEntries[i], file.c_str());
    }
}

void LauncherSettings::LoadSkinInfo() {
    const std::string file = CurrentDirectoryFile("SkinInfo.ini");
    skinUsesImage = ::GetPrivateProfileIntA(kSkinSection, "Kind", 0, file.c_str()) == 0;
    skinColor = ::GetPrivateProfileIntA(kSkinSection, "Color", 0, file.c_str());
    skinImage = ::GetPrivateProfileIntA(kSkinSection, "Image", 0, file.c_str());
}

// A key that is missing, empty or names no usable host keeps the built-in host.
void LauncherSettings::LoadHostOverrides() {
    const std::string file = CurrentDirectoryFile("Gatevane.ini");
    auto read = [&file](const char* key, std::string& host) {
        char value[kPathCapacity] = {};
        ::GetPrivateProfileStringA(kHostSection, key, "", value, sizeof value, file.c_str());
        if (IsUsableHost(value)) host = value;
    };
    defaultLogonHost = kBuiltInLogonHost;
    read("LogonHost", defaultLogonHost);
    hosts = HallHosts{};
    for (const HallHostKey& key : kHallHostKeys) read(key.key, hosts.*key.host);
}

const char* LauncherSettings::GetServerEntry(int index) {
    return serverEntries[ServerEntryIndex(index, selectedLine)];
}

void LauncherSettings::SelectServerLine(int index) {
    std::optional<int> line = ServerLineToStore(index, selectedLine);
    if (!line) return;
    char value[16];
    std::snprintf(value, sizeof value, "%d", *line);
    if (::WritePrivateProfileStringA(kServerSection, "selected", value, ServerInfoPath().c_str())) {
        selectedLine = *line;
    }
}

}  // namespace gatevane
