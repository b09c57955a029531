#pragma once
// A move-only owner of one COM interface reference: it releases what it holds when it ends or is
// reset, and copying it does not compile (a second reference is taken only on purpose, with
// Share or As).

#include <objbase.h>

#include <utility>

namespace ostrelpet {

template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(ComPtr&& other) noexcept : pointer_(other.Detach()) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        Reset(other.Detach());
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { Reset(); }

    // Takes over a reference the caller already owns.
    static ComPtr Adopt(Interface* pointer) {
        ComPtr owner;
        owner.pointer_ = pointer;
        return owner;
    }
    // Takes a reference of its own.
    static ComPtr Share(Interface* pointer) {
        if (pointer) pointer->AddRef();
        return Adopt(pointer);
    }

    Interface* Get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // The slot for an out-parameter; whatever was held is released first.
    Interface** Put() {
        Reset();
        return &pointer_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    void Reset(Interface* pointer = nullptr) {
        Interface* old = std::exchange(pointer_, pointer);
        if (old) old->Release();
    }
    Interface* Detach() { return std::exchange(pointer_, nullptr); }

    // Another interface of the same object, by QueryInterface.
    template <typename Other>
    HRESULT As(ComPtr<Other>& other) const {
        if (!pointer_) return E_POINTER;
        return pointer_->QueryInterface(__uuidof(Other), other.PutVoid());
    }

private:
    Interface* pointer_ = nullptr;
};

}  // namespace ostrelpet
