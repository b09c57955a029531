#pragma once
// The movie player reached by name through its IDispatch: every property and method the pet uses
// is looked up with GetIDsOfNames and called with Invoke, so any player that offers these names
// works and no interface layout is assumed.

#include <oaidl.h>

#include <string>

#include "pet/com_ptr_win.h"

namespace ostrelpet {

class LateBound {
public:
    LateBound() = default;
    explicit LateBound(ComPtr<IDispatch> object) : object_(std::move(object)) {}

    explicit operator bool() const { return static_cast<bool>(object_); }
    void Reset() { object_.Reset(); }

    // Each is false when the name is unknown, the value is refused or the result has no such type.
    bool GetInt(const wchar_t* name, long* value) const;
    bool PutString(const wchar_t* name, const std::wstring& value) const;
    bool PutInt(const wchar_t* name, long value) const;
    bool PutBool(const wchar_t* name, bool value) const;
    // A method with an integer and a text argument (LoadMovie), or none (Play).
    bool Call(const wchar_t* name, long first, const std::wstring& second) const;
    bool Call(const wchar_t* name) const;

private:
    HRESULT Invoke(const wchar_t* name, WORD flags, VARIANT* arguments, UINT count,
                   VARIANT* result) const;

    ComPtr<IDispatch> object_;
};

}  // namespace ostrelpet
