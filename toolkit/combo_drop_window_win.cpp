#include "toolkit/combo_drop_window_win.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "toolkit/combo_win.h"

namespace {

// Posted to the box: fit it to its list once the event that changed the list is over.
constexpr UINT kRefitMessage = WM_APP + 0x3B1;

int ListHeight(const CComboUI& combo) {
    int height = 0;
    for (int i = 0; i < combo.GetCount(); ++i) {
        const CControlUI* element = combo.GetItemAt(i);
        if (element->IsOwnVisible()) height += element->GetFixedHeight();
    }
    SIZE limit = combo.GetDropBoxSize();
    return limit.cy > 0 ? std::min<int>(height, limit.cy) : height;
}

// Under the combo, or above it when the work area has no room below; kept on the work area
// sideways.
RECT DropBoxRect(const CComboUI& combo) {
    HWND owner = combo.GetManager()->GetPaintWindow();
    RECT at = combo.GetPos();
    ::MapWindowPoints(owner, nullptr, reinterpret_cast<POINT*>(&at), 2);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoA(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    SIZE limit = combo.GetDropBoxSize();
    int width = limit.cx > 0 ? limit.cx : at.right - at.left;
    int height = ListHeight(combo);
    int top = at.bottom + height <= work.bottom ? at.bottom : at.top - height;
    int left = std::max<int>(work.left, std::min<int>(at.left, work.right - width));
    return RECT{left, top, left + width, top + height};
}

}  // namespace

CComboDropWindow::CComboDropWindow(CComboUI* combo) : combo_(combo) {}

CComboDropWindow* CComboDropWindow::Open(CComboUI* combo) {
    CPaintManagerUI* owner = combo->GetManager();
    if (!owner || !owner->GetPaintWindow()) return nullptr;
    RECT rc = DropBoxRect(*combo);
    std::unique_ptr<CComboDropWindow> drop(new CComboDropWindow(combo));
    if (!drop->Create(owner->GetPaintWindow(), "", WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW,
                      rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top)) {
        return nullptr;
    }
    drop->ownedByWindow_ = true;
    drop->ShowWindow(true, true);
    return drop.release();
}

void CComboDropWindow::BuildList() {
    manager_.Init(window_);
    manager_.CopyFontsFrom(*combo_->GetManager());
    auto list = std::make_unique<CVerticalLayoutUI>();
    list->SetAutoDestroy(false);
    list_ = list.get();
    manager_.AttachDialog(std::move(list));
    manager_.AddNotifier(this);
    for (int i = 0; i < combo_->GetCount(); ++i) list_->Add(combo_->GetItemAt(i));
}

void CComboDropWindow::Insert(CControlUI* element, int index) {
    if (list_) list_->AddAt(element, index);
    RequestRefit();
}

void CComboDropWindow::Forget(CControlUI* element) {
    if (list_) list_->Remove(element);
    RequestRefit();
}

void CComboDropWindow::RequestClose() {
    if (closing_) return;
    closing_ = true;
    Close();
}

void CComboDropWindow::Detach() {
    combo_ = nullptr;
    if (list_) list_->RemoveAll();
    RequestClose();
}

// The elements' notifications are their list's; the box's own first paint is nobody's business
// (passed on, it would tell the list's window that it had just been shown).
void CComboDropWindow::Notify(TNotifyUI& msg) {
    if (msg.sType == DUI_MSGTYPE_WINDOWINIT) return;
    if (combo_ && combo_->GetManager()) {
        combo_->GetManager()->SendNotify(msg.pSender, msg.sType, msg.wParam, msg.lParam);
    }
}

void CComboDropWindow::RequestRefit() {
    if (refitPosted_ || closing_) return;
    refitPosted_ = PostMessage(kRefitMessage) != FALSE;
}

void CComboDropWindow::Refit() {
    if (!combo_ || combo_->GetCount() == 0) {
        RequestClose();
        return;
    }
    RECT rc = DropBoxRect(*combo_);
    ::SetWindowPos(window_, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void CComboDropWindow::GiveElementsBack() {
    if (list_) list_->RemoveAll();
    if (CComboUI* combo = std::exchange(combo_, nullptr)) combo->OnDropClosed();
}

LRESULT CComboDropWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            BuildList();
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) RequestClose();
            break;
        case WM_KILLFOCUS:
            RequestClose();
            break;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {
                RequestClose();
                return 0;
            }
            break;
        case kRefitMessage:
            refitPosted_ = false;
            Refit();
            return 0;
        case WM_DESTROY:
            GiveElementsBack();
            break;
        default:
            break;
    }
    LRESULT result = 0;
    if (manager_.MessageHandler(message, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

void CComboDropWindow::OnFinalMessage(HWND) {
    if (ownedByWindow_) delete this;
}
