#include "launcher/login/message_box_window_win.h"

#include <new>

#include "launcher/startup/apply_skin_background_win.h"
#include "toolkit/dialog_builder_win.h"
#include "toolkit/window_impl_base_win.h"

namespace gatevane {
namespace {

constexpr char kSkinFile[] = "MessageBox//MessageBox.xml";
constexpr char kPlainCaption[] = "温馨提示";

void ShowButton(CPaintManagerUI& manager, const char* name, bool visible) {
    if (CControlUI* button = manager.FindControl(name)) button->SetVisible(visible);
}

// The skin could not be built (a damaged installation): the user still gets the text.
unsigned ShowPlainFallback(HWND owner, const char* text, unsigned style) {
    UINT buttons = style == kMessageBoxTwoButtons ? MB_OKCANCEL : MB_OK;
    int answer = ::MessageBoxA(owner, text, kPlainCaption, buttons | MB_ICONINFORMATION);
    return answer == IDCANCEL ? kMessageBoxDeclined : kMessageBoxAccepted;
}

}  // namespace

void MessageBoxWindow::SetContent(const char* text, unsigned style) {
    if (CControlUI* content = paintManager_.FindControl("content")) content->SetText(text);
    if (style == kMessageBoxOneButton) {
        ShowButton(paintManager_, "button0", false);
        if (CControlUI* button = paintManager_.FindControl("button1")) {
            button->SetText("确定");
            button->SetVisible(true);
        }
        ShowButton(paintManager_, "button2", false);
    } else if (style == kMessageBoxTwoButtons) {
        ShowButton(paintManager_, "button0", true);
        ShowButton(paintManager_, "button1", false);
        ShowButton(paintManager_, "button2", true);
    }
}

void MessageBoxWindow::Notify(TNotifyUI& msg) {
    if (msg.sType != DUI_MSGTYPE_CLICK || !msg.pSender) return;
    const CDuiString& name = msg.pSender->GetName();
    if (name == "button0" || name == "button1") {
        Close(kMessageBoxAccepted);
    } else if (name == "button2" || name == "closebtn") {
        Close(kMessageBoxDeclined);
    }
}

LRESULT MessageBoxWindow::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM, bool&) {
    // Return and Escape are seen but left to the normal handling: neither closes the box.
    return uMsg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE) ? 1 : 0;
}

const char* MessageBoxWindow::GetWindowClassName() const {
    return "UIMessageBox";
}

UINT MessageBoxWindow::GetClassStyle() const {
    return CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS | CS_SAVEBITS;
}

LRESULT MessageBoxWindow::OnCreate() {
    skinned_window::DropSystemFrame(window_);
    paintManager_.Init(window_);
    paintManager_.AddPreMessageFilter(this);
    CDialogBuilder builder;
    CControlUI* root = builder.Create(kSkinFile, nullptr, nullptr, &paintManager_);
    if (!root) return -1;
    paintManager_.AttachDialog(std::unique_ptr<CControlUI>(root));
    paintManager_.AddNotifier(this);
    ApplySkinBackground(paintManager_.FindControl("MessageBox_back"));
    return 0;
}

LRESULT MessageBoxWindow::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_CREATE) return OnCreate();
    LRESULT result = 0;
    if (skinned_window::HandleFrameMessage(window_, paintManager_, uMsg, wParam, lParam, result) ||
        paintManager_.MessageHandler(uMsg, wParam, lParam, result)) {
        return result;
    }
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void MessageBoxWindow::OnFinalMessage(HWND) {
    paintManager_.RemovePreMessageFilter(this);
    delete this;
}

unsigned ShowMessageBox(CWindowWnd& owner, const char* text, unsigned style) {
    auto* box = new (std::nothrow) MessageBoxWindow;
    if (!box) {
        owner.Close(kMessageBoxAccepted);
        return 0;
    }
    // A box whose window cannot be made has already freed itself (its final message ran).
    if (!box->Create(owner.GetHWND(), "", kSkinnedWindowStyle, 0, 0, 0, 0, 0)) {
        ShowPlainFallback(owner.GetHWND(), text, style);
        return 0;
    }
    box->CenterWindow();
    box->SetContent(text, style);
    return box->ShowModal();
}

}  // namespace gatevane
