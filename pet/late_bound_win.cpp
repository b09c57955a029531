#include "pet/late_bound_win.h"

#include <oleauto.h>

namespace ostrelpet {

namespace {

// A VARIANT that clears what it holds.
class Variant {
public:
    Variant() { ::VariantInit(&value_); }
    ~Variant() { ::VariantClear(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    VARIANT* get() { return &value_; }
    static void Text(VARIANT* out, const std::wstring& text) {
        V_VT(out) = VT_BSTR;
        V_BSTR(out) = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }

private:
    VARIANT value_;
};

}  // namespace

HRESULT LateBound::Invoke(const wchar_t* name, WORD flags, VARIANT* arguments, UINT count,
                          VARIANT* result) const {
    if (!object_) return E_POINTER;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{arguments, nullptr, count, 0};
    if (flags == DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    return object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr,
                           nullptr);
}

bool LateBound::GetInt(const wchar_t* name, long* value) const {
    Variant result;
    if (FAILED(Invoke(name, DISPATCH_PROPERTYGET, nullptr, 0, result.get()))) return false;
    if (FAILED(::VariantChangeType(result.get(), result.get(), 0, VT_I4))) return false;
    *value = V_I4(result.get());
    return true;
}

bool LateBound::PutString(const wchar_t* name, const std::wstring& value) const {
    Variant argument;
    Variant::Text(argument.get(), value);
    if (!V_BSTR(argument.get())) return false;
    return SUCCEEDED(Invoke(name, DISPATCH_PROPERTYPUT, argument.get(), 1, nullptr));
}

bool LateBound::PutInt(const wchar_t* name, long value) const {
    Variant argument;
    V_VT(argument.get()) = VT_I4;
    V_I4(argument.get()) = value;
    return SUCCEEDED(Invoke(name, DISPATCH_PROPERTYPUT, argument.get(), 1, nullptr));
}

bool LateBound::PutBool(const wchar_t* name, bool value) const {
    Variant argument;
    V_VT(argument.get()) = VT_BOOL;
    V_BOOL(argument.get()) = value ? VARIANT_TRUE : VARIANT_FALSE;
    return SUCCEEDED(Invoke(name, DISPATCH_PROPERTYPUT, argument.get(), 1, nullptr));
}

bool LateBound::Call(const wchar_t* name, long first, const std::wstring& second) const {
    // Invoke takes the arguments last first.
    Variant arguments[2];
    Variant::Text(arguments[0].get(), second);
    if (!V_BSTR(arguments[0].get())) return false;
    V_VT(arguments[1].get()) = VT_I4;
    V_I4(arguments[1].get()) = first;
    VARIANT packed[2] = {*arguments[0].get(), *arguments[1].get()};
    Variant result;
    return SUCCEEDED(Invoke(name, DISPATCH_METHOD, packed, 2, result.get()));
}

bool LateBound::Call(const wchar_t* name) const {
    Variant result;
    return SUCCEEDED(Invoke(name, DISPATCH_METHOD, nullptr, 0, result.get()));
}

}  // namespace ostrelpet
