#include "pet/code_writer_win.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>
#include <vector>

#include "base/unique_handle_win.h"

namespace ostrelpet {

namespace {

using gatevane::UniqueFileHandle;
using gatevane::UniqueKernelHandle;

constexpr int kAttempts = 100;

std::uintptr_t InstructionPointer(const CONTEXT& context) {
#if defined(_WIN64)
    return context.Rip;
#else
    return context.Eip;
#endif
}

// Every other thread of the process, suspended for the lifetime of the object.
class OtherThreadsSuspended {
public:
    OtherThreadsSuspended() {
        UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
        if (!snapshot) return;
        const DWORD process = ::GetCurrentProcessId();
        const DWORD self = ::GetCurrentThreadId();
        THREADENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = ::Thread32First(snapshot.get(), &entry); more;
             more = ::Thread32Next(snapshot.get(), &entry)) {
            if (entry.th32OwnerProcessID != process || entry.th32ThreadID == self) continue;
            UniqueKernelHandle thread(
                ::OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_QUERY_INFORMATION,
                             FALSE, entry.th32ThreadID));
            if (thread && ::SuspendThread(thread.get()) != static_cast<DWORD>(-1)) {
                threads_.push_back(std::move(thread));
            }
        }
    }
    ~OtherThreadsSuspended() {
        for (const UniqueKernelHandle& thread : threads_) ::ResumeThread(thread.get());
    }
    OtherThreadsSuspended(const OtherThreadsSuspended&) = delete;
    OtherThreadsSuspended& operator=(const OtherThreadsSuspended&) = delete;

    // Whether a suspended thread would go on from inside (not at the start of) the bytes.
    bool AnyStoppedInside(const std::uint8_t* at, std::size_t size) const {
        const auto first = reinterpret_cast<std::uintptr_t>(at);
        for (const UniqueKernelHandle& thread : threads_) {
            CONTEXT context{};
            context.ContextFlags = CONTEXT_CONTROL;
            if (!::GetThreadContext(thread.get(), &context)) continue;
            const std::uintptr_t ip = InstructionPointer(context);
            if (ip > first && ip < first + size) return true;
        }
        return false;
    }

private:
    std::vector<UniqueKernelHandle> threads_;
};

bool WriteUnprotected(std::uint8_t* at, const std::uint8_t* bytes, std::size_t size) {
    DWORD previous = 0;
    if (!::VirtualProtect(at, size, PAGE_EXECUTE_READWRITE, &previous)) return false;
    std::memcpy(at, bytes, size);
    ::FlushInstructionCache(::GetCurrentProcess(), at, size);
    DWORD ignored = 0;
    ::VirtualProtect(at, size, previous, &ignored);
    return true;
}

}  // namespace

bool ProcessCodeWriter::Write(std::uint8_t* at, const std::uint8_t* bytes, std::size_t size) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        {
            OtherThreadsSuspended suspended;
            if (!suspended.AnyStoppedInside(at, size)) return WriteUnprotected(at, bytes, size);
        }
        ::Sleep(0);  // let that thread run past the bytes
    }
    return false;
}

}  // namespace ostrelpet
