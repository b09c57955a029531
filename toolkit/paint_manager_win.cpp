#include "toolkit/paint_manager_win.h"

#include <algorithm>

#include "toolkit/control_tree_win.h"
#include "toolkit/control_win.h"
#include "toolkit/deferred_release_win.h"
#include "toolkit/focus_win.h"
#include "toolkit/message_loop_win.h"
#include "toolkit/render_win.h"
#include "toolkit/resource_paths_win.h"
#include "toolkit/window_accessible_win.h"

namespace {

using deferred_release::DispatchScope;

}  // namespace

CPaintManagerUI::CPaintManagerUI() {
    message_loop::Register(this);
}

CPaintManagerUI::~CPaintManagerUI() {
    message_loop::Unregister(this);
    root_.reset();
    deferred_release::DetachFrom(this);
}

void CPaintManagerUI::SetInstance(HINSTANCE instance) {
    resource_paths::SetInstance(instance);
}

HINSTANCE CPaintManagerUI::GetInstance() {
    return resource_paths::Instance();
}

CDuiString CPaintManagerUI::GetInstancePath() {
    return resource_paths::InstancePath();
}

void CPaintManagerUI::SetResourcePath(const char* path) {
    resource_paths::SetResourcePath(path);
}

const CDuiString& CPaintManagerUI::GetResourcePath() {
    return resource_paths::ResourcePath();
}

void CPaintManagerUI::MessageLoop() {
    message_loop::Run();
}

bool CPaintManagerUI::TranslateMessage(const MSG* msg) {
    CPaintManagerUI* manager = message_loop::ManagerForMessage(msg);
    return manager && manager->PreMessageHandler(msg);
}

CPaintManagerUI* CPaintManagerUI::FromWindow(HWND window) {
    return message_loop::ManagerOf(window);
}

bool CPaintManagerUI::PreMessageHandler(const MSG* msg) {
    std::vector<IMessageFilterUI*> filters = filters_;
    for (IMessageFilterUI* filter : filters) {
        bool handled = false;
        filter->MessageHandler(msg->message, msg->wParam, msg->lParam, handled);
        if (handled) return true;
    }
    // A web page's keys (Tab between its fields, its shortcuts) belong to the page.
    MSG key = *msg;
    if (key.message >= WM_KEYFIRST && key.message <= WM_KEYLAST &&
        control_tree::Find(root_.get(), [&key](CControlUI* control) {
            return control->TranslateAccelerator(&key);
        })) {
        return true;
    }
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_TAB) {
        SetNextTabControl(::GetKeyState(VK_SHIFT) >= 0);
        return true;
    }
    return false;
}

void CPaintManagerUI::Init(HWND window) {
    window_ = window;
    toolTip_.Create(window, resource_paths::Instance());
}

bool CPaintManagerUI::AttachDialog(std::unique_ptr<CControlUI> root) {
    if (!root) return false;
    root_ = std::move(root);
    mouse_.Reset();
    focus_ = nullptr;
    root_->SetManager(this, nullptr);
    needLayout_ = true;
    if (window_) ::InvalidateRect(window_, nullptr, FALSE);
    return true;
}

bool CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
    if (std::find(notifiers_.begin(), notifiers_.end(), notifier) != notifiers_.end()) return false;
    notifiers_.push_back(notifier);
    return true;
}

bool CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) {
    auto found = std::find(notifiers_.begin(), notifiers_.end(), notifier);
    if (found == notifiers_.end()) return false;
    notifiers_.erase(found);
    return true;
}

bool CPaintManagerUI::AddPreMessageFilter(IMessageFilterUI* filter) {
    if (std::find(filters_.begin(), filters_.end(), filter) != filters_.end()) return false;
    filters_.push_back(filter);
    return true;
}

bool CPaintManagerUI::RemovePreMessageFilter(IMessageFilterUI* filter) {
    auto found = std::find(filters_.begin(), filters_.end(), filter);
    if (found == filters_.end()) return false;
    filters_.erase(found);
    return true;
}

void CPaintManagerUI::SendNotify(CControlUI* control, const char* type, WPARAM wParam,
                                 LPARAM lParam) {
    DispatchScope scope;
    TNotifyUI msg;
    msg.sType = type;
    msg.pSender = control;
    msg.dwTimestamp = ::GetTickCount();
    msg.wParam = wParam;
    msg.lParam = lParam;
    ::GetCursorPos(&msg.ptMouse);
    if (window_) ::ScreenToClient(window_, &msg.ptMouse);
    std::vector<INotifyUI*> notifiers = notifiers_;
    for (INotifyUI* notifier : notifiers) {
        if (std::find(notifiers_.begin(), notifiers_.end(), notifier) != notifiers_.end()) {
            notifier->Notify(msg);
        }
    }
}

void CPaintManagerUI::SendEvent(CControlUI* control, int type, POINT pt, WPARAM wParam,
                                LPARAM lParam) {
    if (!control || deferred_release::IsPending(control)) return;
    DispatchScope scope;
    TEventUI event;
    event.Type = type;
    event.pSender = control;
    event.dwTimestamp = ::GetTickCount();
    event.ptMouse = pt;
    event.wParam = wParam;
    event.lParam = lParam;
    event.chKey = static_cast<char>(wParam);
    control->Event(event);
    // The event may have removed the control (or what the manager remembers).
    ForgetControlsIf(deferred_release::IsPending);
}

bool CPaintManagerUI::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!window_) return false;
    switch (message) {
        case WM_ERASEBKGND:
            result = 1;
            return true;
        case WM_PAINT:
            Paint();
            result = 0;
            return true;
        case WM_SIZE:
            needLayout_ = true;
            ::InvalidateRect(window_, nullptr, FALSE);
            return false;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_MOUSELEAVE:
            return mouse_.Handle(*this, toolTip_, message, wParam, lParam);
        case WM_SETCURSOR: {
            if (LOWORD(lParam) != HTCLIENT) return false;
            POINT pt;
            ::GetCursorPos(&pt);
            ::ScreenToClient(window_, &pt);
            CControlUI* control = FindControl(pt);
            if (!control) return false;
            SendEvent(control, UIEVENT_SETCURSOR, pt);
            result = TRUE;
            return true;
        }
        case WM_KEYDOWN:
            if (focus_) SendEvent(focus_, UIEVENT_KEYDOWN, POINT{}, wParam, lParam);
            return false;
        case WM_SETFOCUS:
            // Back in the window: the control that had the focus gets it again.
            if (focus_) focus_->SetFocus();
            return false;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
            // Native edit boxes draw on white with the skin's text colour unless told otherwise.
            ::SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
            result = reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
            return true;
        case WM_GETOBJECT:
            return AnswerAccessibleObject(this, wParam, lParam, result);
        case ActionQueue::kMessage:
            actions_.Run([this](const CControlUI* control) {
                return IsInTree(control) && !deferred_release::IsPending(control);
            });
            result = 0;
            return true;
        default:
            return false;
    }
}

void CPaintManagerUI::Paint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(window_, &ps);
    RECT client;
    ::GetClientRect(window_, &client);
    if (root_ && needLayout_ && !::IsRectEmpty(&client)) {
        needLayout_ = false;
        root_->SetPos(client);
    }
    int w = client.right - client.left;
    int h = client.bottom - client.top;
    if (w > 0 && h > 0 && root_) {
        gatevane::UniqueMemoryDc memory(::CreateCompatibleDC(dc));
        void* bits = nullptr;
        gatevane::UniqueBitmap buffer(render::CreateArgbBitmap(w, h, &bits));
        gatevane::SelectedObject selected(memory.get(), buffer.get());
        ::FillRect(memory.get(), &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        root_->DoPaint(memory.get(), ps.rcPaint);
        ::BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                 ps.rcPaint.bottom - ps.rcPaint.top, memory.get(), ps.rcPaint.left, ps.rcPaint.top,
                 SRCCOPY);
    }
    ::EndPaint(window_, &ps);
    if (!firstLayoutDone_ && root_) {
        firstLayoutDone_ = true;
        SendNotify(root_.get(), DUI_MSGTYPE_WINDOWINIT);
    }
}

CControlUI* CPaintManagerUI::FindControl(const char* name) const {
    if (!name || !*name) return nullptr;
    return control_tree::Find(root_.get(),
                              [name](CControlUI* control) { return control->GetName() == name; });
}

CControlUI* CPaintManagerUI::FindControl(POINT pt) const {
    return root_ ? root_->FindControlAt(pt) : nullptr;
}

bool CPaintManagerUI::IsInTree(const CControlUI* control) const {
    return control_tree::Find(root_.get(), [control](CControlUI* c) { return c == control; }) !=
           nullptr;
}

void CPaintManagerUI::SetInitSize(int cx, int cy) {
    initSize_ = SIZE{cx, cy};
    if (window_ && cx > 0 && cy > 0) {
        ::SetWindowPos(window_, nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    }
}

void CPaintManagerUI::AddFont(int id, const char* faceName, int size, bool bold, bool underline,
                              bool isDefault) {
    fonts_.Add(id, faceName, size, bold, underline, isDefault);
}

HFONT CPaintManagerUI::GetFont(int id) const {
    return fonts_.Get(id);
}

void CPaintManagerUI::CopyFontsFrom(const CPaintManagerUI& other) {
    fonts_.CopyFrom(other.fonts_);
}

void CPaintManagerUI::AddDefaultAttributeList(const char* className, const char* list) {
    defaults_[className] = list;
}

const char* CPaintManagerUI::GetDefaultAttributeList(const char* className) const {
    auto found = defaults_.find(className);
    return found == defaults_.end() ? nullptr : found->second.c_str();
}

void CPaintManagerUI::SetFocus(CControlUI* control) {
    if (control && (!control->IsVisible() || !control->IsEnabled())) return;
    // A control with a native window takes the focus into it and reports back through
    // SetFocusNeeded; for any other control the window itself holds the keyboard focus.
    if (HWND native = control ? control->PrepareNativeFocus() : nullptr) {
        ::SetFocus(native);
        return;
    }
    // The manager moves first: the window's WM_SETFOCUS gives the focus to its focused control.
    SetFocusNeeded(control);
    if (window_ && ::GetFocus() != window_) ::SetFocus(window_);
}

void CPaintManagerUI::SetFocusNeeded(CControlUI* control) {
    if (control == focus_) return;
    CControlUI* old = focus_;
    focus_ = control;
    if (old) {
        SendEvent(old, UIEVENT_KILLFOCUS, POINT{});
        SendNotify(old, DUI_MSGTYPE_KILLFOCUS);
    }
    if (control && focus_ == control) {
        SendEvent(control, UIEVENT_SETFOCUS, POINT{});
        SendNotify(control, DUI_MSGTYPE_SETFOCUS);
    }
}

void CPaintManagerUI::SetNextTabControl(bool forward) {
    if (CControlUI* next = focus::NextTabStop(root_.get(), focus_, forward)) next->SetFocus();
}

void CPaintManagerUI::Invalidate(const RECT& rc) {
    if (window_) ::InvalidateRect(window_, &rc, FALSE);
}

void CPaintManagerUI::NeedUpdate() {
    needLayout_ = true;
    if (window_) ::InvalidateRect(window_, nullptr, FALSE);
}

void CPaintManagerUI::ReapObjects(CControlUI* control) {
    auto inside = [control](const CControlUI* remembered) {
        return control_tree::IsWithin(remembered, control);
    };
    ForgetControlsIf(inside);
    actions_.ForgetIf(inside);
}

void CPaintManagerUI::DeleteControlLater(CControlUI* control) {
    ReapObjects(control);
    deferred_release::Release(control);
}

void CPaintManagerUI::PostDefaultAction(CControlUI* control) {
    actions_.PostDefaultAction(window_, control);
}

void CPaintManagerUI::PostFocus(CControlUI* control) {
    actions_.PostFocus(window_, control);
}
