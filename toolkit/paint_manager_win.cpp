#include "toolkit/paint_manager_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdlib>

#include "toolkit/control_win.h"
#include "toolkit/render_win.h"
#include "toolkit/window_accessible_win.h"

namespace {

HINSTANCE theInstance = nullptr;
CDuiString theResourcePath;
std::vector<CPaintManagerUI*> theManagers;

// Controls removed while an event was being dispatched (in any window of the thread) are freed
// when the outermost dispatch ends: the control whose event removed them may still be running.
int theDispatchDepth = 0;
std::vector<CControlUI*> theDelayedCleanup;

// Posted to the window to run the queued default actions and focus requests.
constexpr UINT kQueuedActionMessage = WM_APP + 0x3A1;

bool IsWithin(const CControlUI* control, const CControlUI* ancestor) {
    for (; control; control = control->GetParent()) {
        if (control == ancestor) return true;
    }
    return false;
}

bool IsPendingDelete(const CControlUI* control) {
    for (CControlUI* removed : theDelayedCleanup) {
        if (IsWithin(control, removed)) return true;
    }
    return false;
}

std::vector<CControlUI*> Ancestry(CControlUI* control) {
    std::vector<CControlUI*> chain;
    for (; control; control = control->GetParent()) chain.push_back(control);
    return chain;
}

template <typename Visit>
CControlUI* FindInTree(CControlUI* root, Visit match) {
    if (!root) return nullptr;
    std::vector<CControlUI*> pending{root};
    while (!pending.empty()) {
        CControlUI* control = pending.back();
        pending.pop_back();
        if (match(control)) return control;
        for (int i = control->GetChildCount() - 1; i >= 0; --i) {
            pending.push_back(control->GetChildAt(i));
        }
    }
    return nullptr;
}

}  // namespace

// Counts nested dispatches; the outermost one frees the controls removed meanwhile.
class CPaintManagerUI::DispatchScope {
public:
    DispatchScope() { ++theDispatchDepth; }
    ~DispatchScope() {
        if (--theDispatchDepth > 0) return;
        std::vector<CControlUI*> removed;
        removed.swap(theDelayedCleanup);
        for (CControlUI* control : removed) delete control;
    }
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;
};

CPaintManagerUI::CPaintManagerUI() {
    theManagers.push_back(this);
}

CPaintManagerUI::~CPaintManagerUI() {
    theManagers.erase(std::remove(theManagers.begin(), theManagers.end(), this), theManagers.end());
    root_.reset();
    // Controls of this window still waiting to be freed outlive it: they must not call back.
    for (CControlUI* control : theDelayedCleanup) {
        if (control->GetManager() == this) control->SetManager(nullptr, nullptr);
    }
}

void CPaintManagerUI::SetInstance(HINSTANCE instance) {
    theInstance = instance;
}

HINSTANCE CPaintManagerUI::GetInstance() {
    return theInstance;
}

CDuiString CPaintManagerUI::GetInstancePath() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(theInstance, path, MAX_PATH);
    std::string folder = path;
    size_t slash = folder.find_last_of("\\/");
    return folder.substr(0, slash == std::string::npos ? 0 : slash + 1);
}

void CPaintManagerUI::SetResourcePath(const char* path) {
    std::string text = path ? path : "";
    if (!text.empty() && text.back() != '\\' && text.back() != '/') text += '\\';
    theResourcePath = text;
}

const CDuiString& CPaintManagerUI::GetResourcePath() {
    return theResourcePath;
}

void CPaintManagerUI::MessageLoop() {
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (TranslateMessage(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

bool CPaintManagerUI::TranslateMessage(const MSG* msg) {
    // The message goes to the filters of the window it was sent to, or of the toolkit window
    // that holds the native child it was sent to (an edit box).
    for (HWND window = msg->hwnd; window; window = ::GetParent(window)) {
        for (CPaintManagerUI* manager : theManagers) {
            if (manager->window_ == window) return manager->PreMessageHandler(msg);
        }
        if (!(::GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD)) break;
    }
    return false;
}

CPaintManagerUI* CPaintManagerUI::FromWindow(HWND window) {
    if (!window || !::IsWindow(window)) return nullptr;
    // Newest first: a manager that outlived its window may still remember a handle that the
    // system has since given to another window.
    for (auto it = theManagers.rbegin(); it != theManagers.rend(); ++it) {
        if ((*it)->window_ == window) return *it;
    }
    return nullptr;
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
        FindInTree(root_.get(),
                   [&key](CControlUI* control) { return control->TranslateAccelerator(&key); })) {
        return true;
    }
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_TAB) {
        SetNextTabControl(::GetKeyState(VK_SHIFT) >= 0);
        return true;
    }
    return false;
}

void CPaintManagerUI::Init(HWND hWnd) {
    window_ = hWnd;
    toolTip_.reset(::CreateWindowExA(
        0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hWnd, nullptr, theInstance, nullptr));
}

bool CPaintManagerUI::AttachDialog(std::unique_ptr<CControlUI> root) {
    if (!root) return false;
    root_ = std::move(root);
    hover_ = capture_ = focus_ = nullptr;
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
    if (!control || IsPendingDelete(control)) return;
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
    for (CControlUI** slot : {&hover_, &capture_, &focus_, &toolTipControl_}) {
        if (*slot && IsPendingDelete(*slot)) *slot = nullptr;
    }
}

bool CPaintManagerUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
    if (!window_) return false;
    switch (uMsg) {
        case WM_ERASEBKGND:
            lRes = 1;
            return true;
        case WM_PAINT:
            Paint();
            lRes = 0;
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
            return HandleMouse(uMsg, wParam, lParam);
        case WM_SETCURSOR: {
            if (LOWORD(lParam) != HTCLIENT) return false;
            POINT pt;
            ::GetCursorPos(&pt);
            ::ScreenToClient(window_, &pt);
            CControlUI* control = FindControl(pt);
            if (!control) return false;
            SendEvent(control, UIEVENT_SETCURSOR, pt);
            lRes = TRUE;
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
            lRes = reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
            return true;
        case WM_GETOBJECT:
            return AnswerAccessibleObject(this, wParam, lParam, lRes);
        case kQueuedActionMessage: {
            std::vector<QueuedAction> actions;
            actions.swap(pendingActions_);
            DispatchScope scope;
            for (const QueuedAction& action : actions) {
                // The control may have left the tree since it was asked for.
                if (!IsInTree(action.control) || IsPendingDelete(action.control)) continue;
                if (action.focus) {
                    action.control->SetFocus();
                } else {
                    action.control->DoDefaultAction();
                }
            }
            lRes = 0;
            return true;
        }
        default:
            return false;
    }
}

bool CPaintManagerUI::HandleMouse(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (uMsg == WM_MOUSELEAVE) {
        mouseTracking_ = false;
        if (!capture_) {
            for (CControlUI* control : Ancestry(hover_)) SendEvent(control, UIEVENT_MOUSELEAVE, pt);
            hover_ = nullptr;
        }
        return false;
    }
    if (!mouseTracking_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window_, 0};
        mouseTracking_ = ::TrackMouseEvent(&track) != FALSE;
    }
    CControlUI* target = FindControl(pt);
    if (uMsg == WM_MOUSEMOVE && !capture_ && target != hover_) {
        // Leave and enter go to every control whose area the pointer left or entered, so a
        // container keeps its hover while the pointer moves over its children.
        std::vector<CControlUI*> from = Ancestry(hover_);
        std::vector<CControlUI*> to = Ancestry(target);
        hover_ = target;
        for (CControlUI* control : from) {
            if (std::find(to.begin(), to.end(), control) == to.end()) {
                SendEvent(control, UIEVENT_MOUSELEAVE, pt);
            }
        }
        for (auto it = to.rbegin(); it != to.rend(); ++it) {
            if (std::find(from.begin(), from.end(), *it) == from.end()) {
                SendEvent(*it, UIEVENT_MOUSEENTER, pt);
            }
        }
        UpdateToolTip(hover_);
    }
    switch (uMsg) {
        case WM_MOUSEMOVE:
            SendEvent(capture_ ? capture_ : target, UIEVENT_MOUSEMOVE, pt, wParam, lParam);
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (!target || !target->IsEnabled()) break;
            ::SetCapture(window_);
            capture_ = target;
            SendEvent(target, uMsg == WM_LBUTTONDOWN ? UIEVENT_BUTTONDOWN : UIEVENT_DBLCLICK, pt,
                      wParam, lParam);
            break;
        case WM_LBUTTONUP:
            // The pressed control may be gone (its press removed it); the capture goes all the
            // same.
            if (::GetCapture() == window_) ::ReleaseCapture();
            if (!capture_) break;
            {
                CControlUI* pressed = capture_;
                capture_ = nullptr;
                SendEvent(pressed, UIEVENT_BUTTONUP, pt, wParam, lParam);
            }
            break;
        default:
            break;
    }
    return false;
}

void CPaintManagerUI::Paint() {
    PAINTSTRUCT ps;
    HDC hDC = ::BeginPaint(window_, &ps);
    RECT client;
    ::GetClientRect(window_, &client);
    if (root_ && needLayout_ && !::IsRectEmpty(&client)) {
        needLayout_ = false;
        root_->SetPos(client);
    }
    int w = client.right - client.left;
    int h = client.bottom - client.top;
    if (w > 0 && h > 0 && root_) {
        gatevane::UniqueMemoryDc memory(::CreateCompatibleDC(hDC));
        void* bits = nullptr;
        gatevane::UniqueBitmap buffer(render::CreateArgbBitmap(w, h, &bits));
        gatevane::SelectedObject selected(memory.get(), buffer.get());
        ::FillRect(memory.get(), &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        root_->DoPaint(memory.get(), ps.rcPaint);
        ::BitBlt(hDC, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
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
    return FindInTree(root_.get(),
                      [name](CControlUI* control) { return control->GetName() == name; });
}

CControlUI* CPaintManagerUI::FindControl(POINT pt) const {
    return root_ ? root_->FindControlAt(pt) : nullptr;
}

bool CPaintManagerUI::IsInTree(const CControlUI* control) const {
    return FindInTree(root_.get(), [control](CControlUI* c) { return c == control; }) != nullptr;
}

void CPaintManagerUI::SetInitSize(int cx, int cy) {
    initSize_ = SIZE{cx, cy};
    if (window_ && cx > 0 && cy > 0) {
        ::SetWindowPos(window_, nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    }
}

void CPaintManagerUI::AddFont(int id, const char* faceName, int size, bool bold, bool underline,
                              bool isDefault) {
    LOGFONTA font{};
    font.lfHeight = -std::max(1, size);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfUnderline = underline;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynA(font.lfFaceName, faceName ? faceName : "", LF_FACESIZE);
    gatevane::UniqueFont handle(::CreateFontIndirectA(&font));
    if (!handle) return;
    gatevane::UniqueFont& slot = fonts_[id];
    if (slot && defaultFont_ == slot.get()) defaultFont_ = nullptr;
    slot = std::move(handle);
    if (isDefault || !defaultFont_) defaultFont_ = slot.get();
}

HFONT CPaintManagerUI::GetFont(int id) const {
    auto found = fonts_.find(id);
    if (found != fonts_.end()) return found->second.get();
    return defaultFont_ ? defaultFont_ : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

void CPaintManagerUI::CopyFontsFrom(const CPaintManagerUI& other) {
    for (const auto& [id, font] : other.fonts_) {
        LOGFONTA info{};
        if (!::GetObjectA(font.get(), sizeof(info), &info)) continue;
        AddFont(id, info.lfFaceName, std::abs(info.lfHeight), info.lfWeight >= FW_BOLD,
                info.lfUnderline != 0, font.get() == other.defaultFont_);
    }
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
    std::vector<CControlUI*> order;
    FindInTree(root_.get(), [&order](CControlUI* control) {
        if (control->IsFocusable() && control->IsEnabled() && control->IsVisible()) {
            order.push_back(control);
        }
        return false;
    });
    if (order.empty()) return;
    auto at = std::find(order.begin(), order.end(), focus_);
    size_t index = at == order.end() ? (forward ? order.size() - 1 : 0) : at - order.begin();
    index = forward ? (index + 1) % order.size() : (index + order.size() - 1) % order.size();
    order[index]->SetFocus();
}

void CPaintManagerUI::Invalidate(const RECT& rc) {
    if (window_) ::InvalidateRect(window_, &rc, FALSE);
}

void CPaintManagerUI::NeedUpdate() {
    needLayout_ = true;
    if (window_) ::InvalidateRect(window_, nullptr, FALSE);
}

void CPaintManagerUI::ReapObjects(CControlUI* control) {
    for (CControlUI** slot : {&hover_, &capture_, &focus_, &toolTipControl_}) {
        if (*slot && IsWithin(*slot, control)) *slot = nullptr;
    }
    pendingActions_.erase(std::remove_if(pendingActions_.begin(), pendingActions_.end(),
                                         [control](const QueuedAction& action) {
                                             return IsWithin(action.control, control);
                                         }),
                          pendingActions_.end());
}

void CPaintManagerUI::DeleteControlLater(CControlUI* control) {
    ReapObjects(control);
    if (theDispatchDepth > 0) {
        theDelayedCleanup.push_back(control);
    } else {
        delete control;
    }
}

void CPaintManagerUI::PostDefaultAction(CControlUI* control) {
    pendingActions_.push_back(QueuedAction{control, false});
    ::PostMessageA(window_, kQueuedActionMessage, 0, 0);
}

void CPaintManagerUI::PostFocus(CControlUI* control) {
    pendingActions_.push_back(QueuedAction{control, true});
    ::PostMessageA(window_, kQueuedActionMessage, 0, 0);
}

void CPaintManagerUI::UpdateToolTip(CControlUI* control) {
    if (!toolTip_ || control == toolTipControl_) return;
    toolTipControl_ = control;
    TOOLINFOA info{};
    info.cbSize = sizeof(info);
    info.hwnd = window_;
    info.uId = 1;
    ::SendMessageA(toolTip_.get(), TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    if (!control || control->GetToolTip().IsEmpty()) return;
    info.uFlags = TTF_SUBCLASS;
    info.rect = control->GetPos();
    info.lpszText = const_cast<char*>(control->GetToolTip().GetData());
    ::SendMessageA(toolTip_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}
