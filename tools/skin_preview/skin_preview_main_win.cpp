// SkinPreview: shows a skin file as the launcher's toolkit builds it, for skin authors.
//
//   SkinPreview SKIN [options]
//     SKIN                a skin file relative to the skin folder, e.g. Login/login.xml
//     --skin-folder DIR   the skin folder (default: TesselRes\Skin\ beside this program)
//     --list              prints every named control: name, class, rectangle, state, text
//     --screenshot FILE   saves the window as a PNG file
//     --select NAME=N     shows page N of the tab layout NAME
//     --set NAME=TEXT     sets a control's text
//     --show NAME, --hide NAME, --disable NAME
//     --bkimage NAME=IMG  sets a control's background image (e.g. a colour-skin picture)
//   Without --list or --screenshot the window stays open until it is closed; clicks are printed.
// Exit codes: 0 done, 1 the skin cannot be built or the picture not saved, 2 wrong arguments.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/com_startup_win.h"

#include "toolkit/container_win.h"
#include "toolkit/dialog_builder_win.h"
#include "toolkit/window_impl_base_win.h"
#include "tools/skin_preview/window_capture_win.h"

namespace {

struct Options {
    std::string skinFile;
    std::string skinFolder;
    bool list = false;
    std::string screenshot;
    // Applied in order once the window is built: kind, control name, value.
    struct Change {
        std::string kind;
        std::string name;
        std::string value;
    };
    std::vector<Change> changes;
};

void PrintUsage() {
    std::fputs(
        "usage: SkinPreview SKIN [--skin-folder DIR] [--list] [--screenshot FILE.png]\n"
        "                   [--select TAB=N] [--set NAME=TEXT] [--show NAME] [--hide NAME]\n"
        "                   [--disable NAME] [--bkimage NAME=IMAGE]\n",
        stderr);
}

bool SplitAssignment(const std::string& text, std::string& name, std::string& value) {
    size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0) return false;
    name = text.substr(0, equals);
    value = text.substr(equals + 1);
    return true;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--list") {
            options.list = true;
        } else if (arg == "--skin-folder" && hasValue) {
            options.skinFolder = argv[++i];
        } else if (arg == "--screenshot" && hasValue) {
            options.screenshot = argv[++i];
        } else if ((arg == "--select" || arg == "--set" || arg == "--bkimage") && hasValue) {
            Options::Change change{arg.substr(2), "", ""};
            if (!SplitAssignment(argv[++i], change.name, change.value)) return false;
            options.changes.push_back(change);
        } else if ((arg == "--show" || arg == "--hide" || arg == "--disable") && hasValue) {
            options.changes.push_back(Options::Change{arg.substr(2), argv[++i], ""});
        } else if (arg.rfind("--", 0) == 0 || !options.skinFile.empty()) {
            return false;
        } else {
            options.skinFile = arg;
        }
    }
    return !options.skinFile.empty();
}

class PreviewWindow : public WindowImplBase {
public:
    explicit PreviewWindow(const Options& options) : options_(options) {}
    CPaintManagerUI& manager() { return paintManager_; }
    // From now on the window frees itself when it is destroyed.
    void OwnItself() { ownsItself_ = true; }

    void Notify(TNotifyUI& msg) override {
        if (msg.sType == DUI_MSGTYPE_CLICK && msg.pSender) {
            std::printf("click %s\n", msg.pSender->GetName().GetData());
            std::fflush(stdout);
        }
    }

protected:
    const char* GetWindowClassName() const override { return "GatevaneSkinPreview"; }
    CDuiString GetSkinFolder() override { return options_.skinFolder; }
    CDuiString GetSkinFile() override { return options_.skinFile; }
    void OnFinalMessage(HWND) override {
        ::PostQuitMessage(0);
        if (ownsItself_) delete this;
    }
    void InitWindow() override {
        for (const Options::Change& change : options_.changes) Apply(change);
    }

private:
    void Apply(const Options::Change& change) {
        CControlUI* control = paintManager_.FindControl(change.name.c_str());
        if (!control) {
            std::fprintf(stderr, "no control named %s\n", change.name.c_str());
            return;
        }
        if (change.kind == "select") {
            auto* tabs = static_cast<CTabLayoutUI*>(control->GetInterface("TabLayout"));
            if (tabs) tabs->SelectItem(std::atoi(change.value.c_str()));
        } else if (change.kind == "set") {
            control->SetText(change.value.c_str());
        } else if (change.kind == "bkimage") {
            control->SetBkImage(change.value.c_str());
        } else {
            if (change.kind == "disable") control->SetEnabled(false);
            if (change.kind == "show" || change.kind == "hide")
                control->SetVisible(change.kind == "show");
        }
    }

    const Options& options_;
    bool ownsItself_ = false;
};

void ListControls(CControlUI* control) {
    if (!control) return;
    if (!control->GetName().IsEmpty()) {
        const RECT& rc = control->GetPos();
        std::printf("%s\t%s\t%ld,%ld,%ld,%ld\t%s\t%s\t%s\n", control->GetName().GetData(),
                    control->GetClass(), rc.left, rc.top, rc.right, rc.bottom,
                    control->IsVisible() ? "visible" : "hidden",
                    control->IsEnabled() ? "enabled" : "disabled", control->GetText().GetData());
    }
    for (int i = 0; i < control->GetChildCount(); ++i) ListControls(control->GetChildAt(i));
}

void PumpFor(DWORD ms) {
    DWORD start = ::GetTickCount();
    MSG msg;
    while (::GetTickCount() - start < ms) {
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (CPaintManagerUI::TranslateMessage(&msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// Builds the skin alone first, so a broken skin is reported with its reason.
bool CheckSkin(const Options& options) {
    CPaintManagerUI::SetResourcePath(options.skinFolder.c_str());
    CDialogBuilder builder;
    CControlUI* root = builder.Create(options.skinFile.c_str());
    bool built = root != nullptr;
    delete root;
    if (!built || !builder.GetLastError().IsEmpty()) {
        std::fprintf(
            stderr, "%s: %s\n", options.skinFile.c_str(),
            builder.GetLastError().IsEmpty() ? "not built" : builder.GetLastError().GetData());
    }
    return built;
}

int Run(Options& options) {
    if (options.skinFolder.empty()) {
        options.skinFolder = std::string(CPaintManagerUI::GetInstancePath()) + "TesselRes\\Skin\\";
    }
    if (!CheckSkin(options)) return 1;
    // Until it has a window the object is ours to free, also when Create fails before the
    // window's final message could free it.
    auto owned = std::make_unique<PreviewWindow>(options);
    if (!owned->Create(nullptr, options.skinFile.c_str(), kSkinnedWindowStyle, WS_EX_WINDOWEDGE, 0,
                       0, 0, 0)) {
        return 1;
    }
    PreviewWindow* window = owned.release();
    window->OwnItself();
    window->CenterWindow();
    window->ShowWindow(true, true);
    bool oneShot = options.list || !options.screenshot.empty();
    if (!oneShot) {
        CPaintManagerUI::MessageLoop();
        return 0;
    }
    // Let the window paint (and the native boxes inside it) before reading it.
    PumpFor(600);
    int result = 0;
    if (options.list) ListControls(window->manager().GetRoot());
    std::string error;
    if (!options.screenshot.empty() &&
        !SaveWindowPicture(window->GetHWND(), options.screenshot, error)) {
        std::fprintf(stderr, "screenshot: %s\n", error.c_str());
        result = 1;
    }
    ::DestroyWindow(window->GetHWND());
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        PrintUsage();
        return 2;
    }
    CPaintManagerUI::SetInstance(::GetModuleHandleA(nullptr));
    gatevane::OleStartup ole;
    return Run(options);
}
