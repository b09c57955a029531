#include "tests/movie_player/player_setup_win.h"

#include "base/unique_handle_win.h"

namespace movie_player {

namespace {

constexpr char kClassKey[] = "Software\\Classes\\CLSID\\{D27CDB6E-AE6D-11CF-96B8-444553540000}";

void SetValue(HKEY key, const char* name, DWORD type, const void* data, std::size_t size) {
    ::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
}

}  // namespace

bool RegisterPlayer(const std::string& dllPath) {
    gatevane::UniqueModule player(::LoadLibraryA(dllPath.c_str()));
    auto registerServer = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(::GetProcAddress(player.get(), "DllRegisterServer")));
    return registerServer && registerServer() == S_OK;
}

void ConfigurePlayer(DWORD version, const std::string& failMember, bool windowless) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kClassKey, 0, KEY_WRITE, &opened) != 0) return;
    gatevane::UniqueRegistryKey key(opened);
    const DWORD windowlessValue = windowless ? 1 : 0;
    SetValue(key.get(), "PlayerVersion", REG_DWORD, &version, sizeof version);
    SetValue(key.get(), "FailMember", REG_SZ, failMember.c_str(), failMember.size() + 1);
    SetValue(key.get(), "Windowless", REG_DWORD, &windowlessValue, sizeof windowlessValue);
}

bool UnregisterPlayer() {
    return ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kClassKey) == 0;
}

}  // namespace movie_player
