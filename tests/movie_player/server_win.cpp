// The stand-in player as an in-process COM server: its class factory, the DLL's exports, and its
// registration under the Flash player's class id, per machine (HKLM: Wine looks up classes there,
// not under HKCU).
#include <windows.h>

#include <string>

#include "tests/movie_player/player_win.h"

namespace movie_player {

// {D27CDB6E-AE6D-11CF-96B8-444553540000}
const CLSID kPlayerClass = {
    0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// {D27CDB6C-AE6D-11CF-96B8-444553540000}
const IID kPlayerInterface = {
    0xD27CDB6C, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// {D27CDB6D-AE6D-11CF-96B8-444553540000}
const IID kPlayerEvents = {
    0xD27CDB6D, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

LONG liveObjects = 0;

namespace {

constexpr wchar_t kClassKey[] = L"Software\\Classes\\CLSID\\{D27CDB6E-AE6D-11CF-96B8-444553540000}";

HMODULE thisModule = nullptr;
LONG locks = 0;

// A registry key that closes itself.
class Key {
public:
    Key() = default;
    ~Key() {
        if (key_) ::RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY* Put() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

bool SetText(HKEY key, const wchar_t* name, const std::wstring& value) {
    return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // One static factory for the DLL's lifetime: its count only keeps the DLL loaded.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        Player* player = nullptr;
        try {
            player = new Player(PlayerSettings::Read());
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        const HRESULT result = player->QueryInterface(iid, object);
        player->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) {
            ::InterlockedIncrement(&locks);
        } else {
            ::InterlockedDecrement(&locks);
        }
        return S_OK;
    }
};

#pragma GCC diagnostic pop

Factory factory;

}  // namespace

PlayerSettings PlayerSettings::Read() {
    PlayerSettings settings;
    Key key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kClassKey, 0, KEY_READ, key.Put()) != ERROR_SUCCESS) {
        return settings;
    }
    DWORD version = 0;
    DWORD size = sizeof version;
    if (::RegQueryValueExW(key.get(), L"PlayerVersion", nullptr, nullptr,
                           reinterpret_cast<BYTE*>(&version), &size) == ERROR_SUCCESS &&
        version > 0 && version < 256) {
        settings.version = static_cast<int>(version);
    }
    DWORD windowless = 1;
    size = sizeof windowless;
    if (::RegQueryValueExW(key.get(), L"Windowless", nullptr, nullptr,
                           reinterpret_cast<BYTE*>(&windowless), &size) == ERROR_SUCCESS) {
        settings.windowless = windowless != 0;
    }
    wchar_t member[64] = {};
    size = sizeof member - sizeof(wchar_t);
    if (::RegQueryValueExW(key.get(), L"FailMember", nullptr, nullptr,
                           reinterpret_cast<BYTE*>(member), &size) == ERROR_SUCCESS) {
        settings.failMember = member;
    }
    return settings;
}

}  // namespace movie_player

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        movie_player::thisModule = instance;
        ::DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID id, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (id != movie_player::kPlayerClass) return CLASS_E_CLASSNOTAVAILABLE;
    return movie_player::factory.QueryInterface(iid, object);
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return movie_player::liveObjects == 0 && movie_player::locks == 0 ? S_OK : S_FALSE;
}

// Registers this DLL, where it lies, as the player; the settings values are left as they are.
HRESULT STDAPICALLTYPE DllRegisterServer() {
    using namespace movie_player;
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(thisModule, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return SELFREG_E_CLASS;
    Key classKey;
    Key server;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kClassKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                          classKey.Put(), nullptr) != ERROR_SUCCESS ||
        ::RegCreateKeyExW(classKey.get(), L"InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr,
                          server.Put(), nullptr) != ERROR_SUCCESS) {
        return SELFREG_E_CLASS;
    }
    const bool written = SetText(classKey.get(), nullptr, L"Movie player (stand-in)") &&
                         SetText(server.get(), nullptr, path) &&
                         SetText(server.get(), L"ThreadingModel", L"Apartment");
    return written ? S_OK : SELFREG_E_CLASS;
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
    const LSTATUS status = ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, movie_player::kClassKey);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}

}  // extern "C"
