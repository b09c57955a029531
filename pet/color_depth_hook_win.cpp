#include "pet/color_depth_hook_win.h"

#include <windows.h>

#include <cstdint>
#include <memory>

#include "pet/code_patch.h"
#include "pet/code_writer_win.h"

namespace ostrelpet {

namespace {

using GetDeviceCapsFunction = int(WINAPI*)(HDC, int);

struct Hook {
    Hook() { ::InitializeCriticalSection(&lock); }
    ~Hook() { ::DeleteCriticalSection(&lock); }
    Hook(const Hook&) = delete;
    Hook& operator=(const Hook&) = delete;

    CRITICAL_SECTION lock;
    ProcessCodeWriter writer;
    GetDeviceCapsFunction original = nullptr;
    std::unique_ptr<CodePatch> patch;
};

Hook& TheHook() {
    static Hook hook;
    return hook;
}

class Locked {
public:
    explicit Locked(CRITICAL_SECTION& lock) : lock_(lock) { ::EnterCriticalSection(&lock_); }
    ~Locked() { ::LeaveCriticalSection(&lock_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    CRITICAL_SECTION& lock_;
};

int WINAPI ReplacementGetDeviceCaps(HDC dc, int index) {
    if (index == BITSPIXEL) return 32;
    Hook& hook = TheHook();
    Locked locked(hook.lock);
    if (!hook.patch || !hook.patch->Suspend()) return 0;
    const int answer = hook.original(dc, index);
    hook.patch->Resume();
    return answer;
}

// The function's own code: import thunks and jumps at its entry are followed (a few at most).
std::uint8_t* FunctionCode(void* entry) {
    auto* code = static_cast<std::uint8_t*>(entry);
    for (int hop = 0; hop < 4; ++hop) {
        const auto at = reinterpret_cast<std::uintptr_t>(code);
        const std::optional<LeadingJump> jump = ReadLeadingJump(NativeCodeWidth(), at, code);
        if (!jump) break;
        const auto address = static_cast<std::uintptr_t>(jump->address);
        code = jump->kind == LeadingJump::Kind::Direct
                   ? reinterpret_cast<std::uint8_t*>(address)
                   : *reinterpret_cast<std::uint8_t* const*>(address);
    }
    return code;
}

}  // namespace

HookResult ColorDepthHook::Install() {
    Hook& hook = TheHook();
    Locked locked(hook.lock);
    if (hook.patch) return HookResult::Installed;
    HMODULE gdi = ::GetModuleHandleA("gdi32.dll");
    if (!gdi) gdi = ::LoadLibraryA("gdi32.dll");  // stays loaded: the patch lives in it
    if (!gdi) return HookResult::NoGdi;
    hook.original = reinterpret_cast<GetDeviceCapsFunction>(
        reinterpret_cast<void*>(::GetProcAddress(gdi, "GetDeviceCaps")));
    if (!hook.original) return HookResult::NoGdi;
    std::uint8_t* code = FunctionCode(reinterpret_cast<void*>(hook.original));
    hook.original = reinterpret_cast<GetDeviceCapsFunction>(static_cast<void*>(code));
    auto patch = std::make_unique<CodePatch>(
        hook.writer, code,
        reinterpret_cast<std::uintptr_t>(reinterpret_cast<void*>(&ReplacementGetDeviceCaps)));
    if (!patch->Install()) return HookResult::NotWritable;
    hook.patch = std::move(patch);
    return HookResult::Installed;
}

void ColorDepthHook::Remove() {
    Hook& hook = TheHook();
    Locked locked(hook.lock);
    hook.patch.reset();  // writes the saved bytes back
}

bool ColorDepthHook::installed() {
    Hook& hook = TheHook();
    Locked locked(hook.lock);
    return hook.patch != nullptr;
}

}  // namespace ostrelpet
