#pragma once
// What the launcher windows' external objects (window.external of the pages they show) have in
// common: the IUnknown half, no type information, and the reading of the text arguments a page's
// script passes.
//
// Such an object is part of its window and lives exactly as long as it: the count that AddRef and
// Release keep for the browser never frees anything.

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

namespace gatevane {

// COM objects end through Release, never through a delete of an interface pointer, so the
// platform's interfaces have no virtual destructor to warn about.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

class ScriptExternal : public IDispatch {
public:
    ScriptExternal(const ScriptExternal&) = delete;
    ScriptExternal& operator=(const ScriptExternal&) = delete;

    // IUnknown and IDispatch only.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) final;
    ULONG STDMETHODCALLTYPE AddRef() final;
    ULONG STDMETHODCALLTYPE Release() final;

    // No type information: scripts find the methods by name.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) final;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) final;

protected:
    ScriptExternal() = default;
    ~ScriptExternal() = default;

    // The `count` texts of a call, in the script's order, in the ANSI code page, each up to its
    // first zero character (a null text is empty). Another number of arguments answers
    // E_INVALIDARG; an argument that is not a text (a number, null, an object) answers
    // DISP_E_TYPEMISMATCH with its place in `argumentError`.
    static HRESULT ReadTextArguments(const DISPPARAMS* params, UINT count,
                                     std::vector<std::string>& texts, UINT* argumentError);

private:
    LONG references_ = 0;
};

#pragma GCC diagnostic pop

}  // namespace gatevane
