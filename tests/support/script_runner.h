#pragma once
// Runs JScript through the platform's script engine with one object of the test's as the
// script's global "external", as a web page's script reaches its window.external: names are
// looked up and methods invoked through the object's IDispatch exactly as the browser's engine
// does it.

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace gatevane::testing {

struct ScriptOutcome {
    // S_OK when the script ran through; otherwise the code of the error that stopped it (what the
    // object answered, as the engine reports it), or why the engine could not be set up.
    HRESULT error = S_OK;
    std::wstring message;
};

// A fresh engine for every script; the calling thread has initialized COM.
ScriptOutcome RunJScript(IDispatch* external, const wchar_t* script);

}  // namespace gatevane::testing
