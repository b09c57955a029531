#pragma once
// Move-only owners for Win32 handles: each kind knows its empty value and how it is closed, and
// copying one does not compile.

#include <windows.h>

#include <utility>

namespace gatevane {

template <typename Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Type get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Empty(); }
    Type release() { return std::exchange(handle_, Traits::Empty()); }
    void reset(Type handle = Traits::Empty()) {
        if (handle_ != Traits::Empty()) Traits::Close(handle_);
        handle_ = handle;
    }

private:
    Type handle_ = Traits::Empty();
};

struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Empty() { return nullptr; }
    static void Close(Type handle) { ::CloseHandle(handle); }
};

struct FileHandleTraits {
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) { ::CloseHandle(handle); }
};

struct ModuleTraits {
    using Type = HMODULE;
    static Type Empty() { return nullptr; }
    static void Close(Type module) { ::FreeLibrary(module); }
};

// Processes, threads, mutexes, events.
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
// CreateFile and CreateToolhelp32Snapshot, which fail with INVALID_HANDLE_VALUE.
using UniqueFileHandle = UniqueHandle<FileHandleTraits>;
// LoadLibrary.
using UniqueModule = UniqueHandle<ModuleTraits>;

}  // namespace gatevane
