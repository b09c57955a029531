#include "tests/support/script_runner.h"

#include <activscp.h>
#include <wrl/client.h>

#include <optional>

#include "base/scope_exit.h"

namespace gatevane::testing {
namespace {

using Microsoft::WRL::ComPtr;

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// The engine's host: it offers the one named item and keeps the first error the script raised.
// It lives on the stack for one run, so its count frees nothing.
class ScriptSite final : public IActiveScriptSite {
public:
    explicit ScriptSite(IDispatch* external) : external_(external) {}

    std::optional<ScriptOutcome> error;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid != __uuidof(IUnknown) && iid != __uuidof(IActiveScriptSite)) return E_NOINTERFACE;
        *object = static_cast<IActiveScriptSite*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }

    HRESULT STDMETHODCALLTYPE GetLCID(LCID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item,
                                          ITypeInfo** typeInfo) override {
        if (item) *item = nullptr;
        if (typeInfo) *typeInfo = nullptr;
        if (::lstrcmpW(name, L"external") != 0) return TYPE_E_ELEMENTNOTFOUND;
        if ((mask & SCRIPTINFO_IUNKNOWN) && item && external_) {
            external_->QueryInterface(IID_PPV_ARGS(item));
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError* scriptError) override {
        EXCEPINFO info{};
        HRESULT read = scriptError->GetExceptionInfo(&info);
        auto freeTexts = MakeScopeExit([&info] {
            for (BSTR text : {info.bstrSource, info.bstrDescription, info.bstrHelpFile}) {
                ::SysFreeString(text);
            }
        });
        if (error) return S_OK;
        if (FAILED(read)) {
            error = ScriptOutcome{read, L"the engine could not tell the error"};
        } else {
            error = ScriptOutcome{info.scode, info.bstrDescription ? info.bstrDescription : L""};
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnEnterScript() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnLeaveScript() override { return S_OK; }

private:
    IDispatch* external_;
    ULONG references_ = 0;
};

#pragma GCC diagnostic pop

}  // namespace

ScriptOutcome RunJScript(IDispatch* external, const wchar_t* script) {
    ScriptSite site(external);
    CLSID jscript{};
    ComPtr<IActiveScript> engine;
    ComPtr<IActiveScriptParse> parser;
    HRESULT result = ::CLSIDFromProgID(L"JScript", &jscript);
    if (SUCCEEDED(result)) {
        result = ::CoCreateInstance(jscript, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&engine));
    }
    if (SUCCEEDED(result)) result = engine.As(&parser);
    if (SUCCEEDED(result)) result = parser->InitNew();
    if (SUCCEEDED(result)) result = engine->SetScriptSite(&site);
    if (FAILED(result)) return ScriptOutcome{result, L"the JScript engine could not be set up"};
    // The engine lets go of the site, which dies with this call, when it closes.
    auto close = MakeScopeExit([&engine] { engine->Close(); });
    result = engine->AddNamedItem(L"external", SCRIPTITEM_ISVISIBLE);
    if (SUCCEEDED(result)) result = engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    if (FAILED(result)) return ScriptOutcome{result, L"the JScript engine could not be started"};
    result = parser->ParseScriptText(script, nullptr, nullptr, nullptr, 0, 0, 0, nullptr, nullptr);
    if (site.error) return *site.error;
    if (FAILED(result)) return ScriptOutcome{result, L"the script was refused"};
    return ScriptOutcome{};
}

}  // namespace gatevane::testing
