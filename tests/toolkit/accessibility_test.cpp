// What assistive technology sees of a toolkit window, through the platform's accessibility
// interface: the raw IAccessible for its error answers, the tests' automation client for the rest.
#include <windows.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/ui_automation.h"
#include "tests/toolkit/skin_test_window.h"
#include "toolkit/combo_win.h"
#include "toolkit/container_win.h"
#include "toolkit/edit_win.h"
#include "toolkit/label_win.h"
#include "toolkit/list_element_win.h"
#include "toolkit/window_accessible_win.h"

namespace {

using gatevane::testing::UiControl;
using gatevane::testing::UiWindow;
using Microsoft::WRL::ComPtr;
using Log = std::vector<std::string>;

// Three rows of fixed height at the top, so the controls' places are known: Title at (0,0)-(100,30)
// and Logon at (0,30)-(80,60) in the client area. Unnamed controls stay out of the tree.
const char kSkin[] = R"(<Window size="400,300"><VerticalLayout name="Page">
    <HorizontalLayout name="Header" height="30">
      <Label name="Title" text="欢迎光临" width="100"/><Label name="Hint" tooltip="提示文字" width="60"/>
      <Label name="Bare" width="40"/><Label text="无名" width="40"/></HorizontalLayout>
    <HorizontalLayout height="30">
      <Button name="Logon" text="登录" width="80"/><Button name="Hidden" visible="false" width="80"/>
      <Button name="Disabled" enabled="false" width="80"/></HorizontalLayout>
    <HorizontalLayout height="24">
      <Option name="LineA" group="Line" text="电信" selected="true" width="60"/>
      <Option name="LineB" group="Line" text="网通" width="60"/>
      <Option name="Remember" text="记住密码" width="80"/></HorizontalLayout>
    <Edit name="Account" height="24" tooltip="帐号"/><Edit name="Password" password="true" height="24"/>
    <Edit name="Referrer" readonly="true" text="推荐人" height="24"/>
    <Progress name="Progress" min="0" max="200" value="50" height="10"/>
    <TabLayout name="Pages" height="30"><Label name="FirstPage" text="第一页"/>
      <HorizontalLayout><Button name="SecondPageButton" text="第二页"/></HorizontalLayout></TabLayout>
    <Combo name="Server" height="24"/></VerticalLayout></Window>)";

// The combo's two elements (made in code, without names) follow it, from child id 20 on.
const Log kTreeOrder = {
    "Page",     "Header",   "Title",    "Hint",  "Bare",      "Logon",
    "Hidden",   "Disabled", "LineA",    "LineB", "Remember",  "Account",
    "Password", "Referrer", "Progress", "Pages", "FirstPage", "SecondPageButton",
    "Server",   "",         ""};
const long kFirstServerId = 20;

constexpr DWORD kSettleMs = 200;

VARIANT Child(long id) {
    VARIANT child{};
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

// A BSTR the object handed out, taken over and freed.
std::wstring Take(BSTR text) {
    std::wstring taken = text ? text : L"(null)";
    ::SysFreeString(text);
    return taken;
}

Log ControlNames(const std::vector<UiControl>& controls) {
    Log names;
    for (const UiControl& control : controls) names.push_back(control.controlName);
    return names;
}

class AccessibilityTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = std::make_unique<SkinTestWindow>(kSkin);
        ASSERT_TRUE(window_->built());
        servers_ = window_->Find<CComboUI>("Server");
        ASSERT_NE(nullptr, servers_);
        // A list element shows its text through a label inside, as the launcher's lists do.
        for (const char* text : {"电信一区", "网通二区"}) {
            auto* element = new CListContainerElementUI;
            element->SetFixedHeight(20);
            auto* label = new CLabelUI;
            label->SetText(text);
            element->Add(label);
            servers_->Add(element);
        }
        PaintNow(*window_);
        PumpFor(50);
        window_->ClearNotifications();
        ::AccessibleObjectFromWindow(hwnd(), static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                     reinterpret_cast<void**>(accessible_.GetAddressOf()));
        ASSERT_TRUE(accessible_);
    }

    HWND hwnd() const { return window_->GetHWND(); }
    UiWindow ui() const { return UiWindow(hwnd()); }
    VARIANT ChildNamed(const char* controlName) const {
        std::optional<UiControl> control = ui().Control(controlName);
        return Child(control ? control->childId : -1);
    }
    // A rectangle of the window's client area, on the screen.
    std::string OnScreen(RECT rect) const {
        ::MapWindowPoints(hwnd(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
        return Rect(rect);
    }
    Log NotificationsAfterPumping() {
        PumpFor(kSettleMs);
        return window_->notifications();
    }
    Log ClicksAfterPumping() {
        Log clicks;
        for (const std::string& entry : NotificationsAfterPumping()) {
            if (entry.rfind("click:", 0) == 0) clicks.push_back(entry);
        }
        return clicks;
    }

    std::unique_ptr<SkinTestWindow> window_;
    CComboUI* servers_ = nullptr;
    ComPtr<IAccessible> accessible_;
};

TEST_F(AccessibilityTest, ChildrenAreTheNamedControlsInDrawingOrderAsTheTreeIsNow) {
    EXPECT_EQ(kTreeOrder, ControlNames(ui().Controls()));
    auto* header = window_->Find<CContainerUI>("Header");
    auto* added = new CLabelUI;
    added->SetName("Added");
    header->Add(added);
    header->Remove(window_->Find<CControlUI>("Title"));
    window_->Find<CControlUI>("Bare")->SetName("");
    Log expected = kTreeOrder;
    expected.erase(expected.begin() + 2, expected.begin() + 5);
    expected.insert(expected.begin() + 2, {"Hint", "Added"});
    EXPECT_EQ(expected, ControlNames(ui().Controls()));
}

TEST_F(AccessibilityTest, ChildrenTellLabelRoleValueAndState) {
    auto expect = [&](const char* controlName, const char* name, long role, const char* value) {
        std::optional<UiControl> control = ui().Control(controlName);
        ASSERT_TRUE(control) << controlName;
        EXPECT_EQ(name, control->name) << controlName;
        EXPECT_EQ(role, control->role) << controlName;
        EXPECT_EQ(value, control->value) << controlName;
    };
    expect("Page", "Page", ROLE_SYSTEM_GROUPING, "");
    expect("Title", "欢迎光临", ROLE_SYSTEM_STATICTEXT, "欢迎光临");
    expect("Hint", "提示文字", ROLE_SYSTEM_STATICTEXT, "");
    expect("Bare", "Bare", ROLE_SYSTEM_STATICTEXT, "");
    expect("Logon", "登录", ROLE_SYSTEM_PUSHBUTTON, "登录");
    expect("LineA", "电信", ROLE_SYSTEM_RADIOBUTTON, "电信");
    expect("Remember", "记住密码", ROLE_SYSTEM_CHECKBUTTON, "记住密码");
    expect("Account", "帐号", ROLE_SYSTEM_TEXT, "");
    expect("Password", "Password", ROLE_SYSTEM_TEXT, "");
    expect("Referrer", "Referrer", ROLE_SYSTEM_TEXT, "推荐人");
    expect("Progress", "Progress", ROLE_SYSTEM_PROGRESSBAR, "50/200");
    expect("Pages", "Pages", ROLE_SYSTEM_PAGETABLIST, "0");
    expect("Server", "Server", ROLE_SYSTEM_COMBOBOX, "");
    // The state flags each control must have, and those it must not.
    auto expectState = [&](const char* controlName, long set, long clear) {
        long state = ui().State(controlName);
        EXPECT_EQ(set, state & set) << controlName;
        EXPECT_EQ(0, state & clear) << controlName;
    };
    expectState("Hidden", STATE_SYSTEM_INVISIBLE, 0);
    expectState("SecondPageButton", STATE_SYSTEM_INVISIBLE, 0);  // on a page not shown
    expectState("Disabled", STATE_SYSTEM_UNAVAILABLE, 0);
    expectState("Logon", STATE_SYSTEM_FOCUSABLE, STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE);
    expectState("LineA", STATE_SYSTEM_CHECKED, 0);
    expectState("LineB", 0, STATE_SYSTEM_CHECKED);
    expectState("Password", STATE_SYSTEM_PROTECTED, 0);
    expectState("Account", 0, STATE_SYSTEM_PROTECTED | STATE_SYSTEM_READONLY);
    expectState("Referrer", STATE_SYSTEM_READONLY, 0);
    // Showing the second page turns the states round.
    window_->Find<CTabLayoutUI>("Pages")->SelectItem(1);
    expectState("FirstPage", STATE_SYSTEM_INVISIBLE, 0);
    expectState("SecondPageButton", 0, STATE_SYSTEM_INVISIBLE);
    EXPECT_EQ("1", ui().Text("Pages"));
}

TEST_F(AccessibilityTest, TheWindowIsTheClientAreaAndChildrenAreFoundWhereTheyAre) {
    VARIANT self = Child(CHILDID_SELF);
    BSTR name = nullptr;
    ASSERT_EQ(S_OK, accessible_->get_accName(self, &name));
    EXPECT_EQ(L"skin test", Take(name));
    VARIANT answer;
    ASSERT_EQ(S_OK, accessible_->get_accRole(self, &answer));
    EXPECT_EQ(ROLE_SYSTEM_CLIENT, answer.vt == VT_I4 ? answer.lVal : -1);
    ::SetFocus(hwnd());
    ASSERT_EQ(S_OK, accessible_->get_accState(self, &answer));
    EXPECT_EQ(STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED, answer.lVal);
    ::SetFocus(nullptr);
    ASSERT_EQ(S_OK, accessible_->get_accState(self, &answer));
    EXPECT_EQ(STATE_SYSTEM_FOCUSABLE, answer.lVal);
    LONG left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(S_OK, accessible_->accLocation(&left, &top, &width, &height, self));
    EXPECT_EQ(OnScreen(RECT{0, 0, 400, 300}), Rect({left, top, left + width, top + height}));
    // Hit tests: the last shown child in drawing order that holds the point.
    auto hit = [&](POINT client) {
        ::ClientToScreen(hwnd(), &client);
        VARIANT found;
        HRESULT hr = accessible_->accHitTest(client.x, client.y, &found);
        if (hr == S_FALSE && found.vt == VT_EMPTY) return -200L;  // outside the window
        return hr == S_OK && found.vt == VT_I4 ? found.lVal : -100L;
    };
    EXPECT_EQ(ChildNamed("Logon").lVal, hit(POINT{40, 45}));
    // The hidden button takes no room: the disabled one follows the first.
    EXPECT_EQ(ChildNamed("Disabled").lVal, hit(POINT{120, 45}));
    EXPECT_EQ(ChildNamed("Header").lVal, hit(POINT{220, 15})) << "over an unnamed label";
    EXPECT_EQ(ChildNamed("Page").lVal, hit(POINT{390, 290}));
    EXPECT_EQ(-200L, hit(POINT{405, 0}));
    // Locations are screen rectangles that follow the window.
    ::SetWindowPos(hwnd(), nullptr, 37, 59, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpFor(50);
    EXPECT_EQ(OnScreen(RECT{0, 30, 80, 60}), Rect(ui().Control("Logon")->screen));
}

TEST_F(AccessibilityTest, ChildIdsOutsideTheListAndOtherObjectsAreRefused) {
    const long count = static_cast<long>(kTreeOrder.size());
    BSTR name = nullptr;
    EXPECT_EQ(E_INVALIDARG, accessible_->get_accName(Child(count + 1), &name));
    EXPECT_EQ(nullptr, name);
    EXPECT_EQ(E_INVALIDARG, accessible_->get_accName(Child(-3), &name));
    VARIANT text = Child(0);
    text.vt = VT_BSTR;  // a null text: only numbers name children
    EXPECT_EQ(E_INVALIDARG, accessible_->get_accName(text, &name));
    EXPECT_EQ(E_INVALIDARG, accessible_->accDoDefaultAction(Child(count + 1)));
    // Children are simple elements, not objects of their own.
    IDispatch* child = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(S_FALSE, accessible_->get_accChild(Child(1), &child));
    EXPECT_EQ(nullptr, child);
    EXPECT_EQ(E_INVALIDARG, accessible_->get_accChild(Child(count + 1), &child));
    // Only the client area is ours: the window procedure leaves the rest to the system.
    LRESULT result = 0;
    EXPECT_FALSE(AnswerAccessibleObject(&window_->manager(), 0, OBJID_WINDOW, result));
    EXPECT_EQ(0, ::SendMessageA(hwnd(), WM_GETOBJECT, 0, OBJID_VSCROLL));
}

TEST_F(AccessibilityTest, DefaultActionsAreNamedRunOnceFromTheQueueAndRefusedWhereNone) {
    BSTR action = nullptr;
    ASSERT_EQ(S_OK, accessible_->get_accDefaultAction(ChildNamed("Logon"), &action));
    EXPECT_EQ(L"Press", Take(action));
    ASSERT_EQ(S_OK, accessible_->get_accDefaultAction(ChildNamed("Account"), &action));
    EXPECT_EQ(L"Focus", Take(action));
    EXPECT_EQ(S_FALSE, accessible_->get_accDefaultAction(ChildNamed("Title"), &action));
    EXPECT_EQ(nullptr, action);
    EXPECT_EQ(S_FALSE, accessible_->get_accDefaultAction(Child(CHILDID_SELF), &action));
    // Hidden (also on a page not shown), disabled and inert controls refuse it.
    UiWindow window = ui();
    for (const char* name : {"Hidden", "Disabled", "SecondPageButton", "Title"}) {
        EXPECT_EQ(DISP_E_MEMBERNOTFOUND, accessible_->accDoDefaultAction(ChildNamed(name))) << name;
    }
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, accessible_->accDoDefaultAction(Child(CHILDID_SELF)));
    ASSERT_TRUE(window.Click("Logon"));
    EXPECT_TRUE(window_->notifications().empty()) << "nothing runs inside the client's call";
    // Pressing a button also focuses it.
    EXPECT_EQ((Log{"setfocus:Logon", "click:Logon"}), NotificationsAfterPumping());
    // An option selects within its group; a check box toggles.
    window_->ClearNotifications();
    ASSERT_TRUE(window.Click("LineB"));
    ASSERT_TRUE(window.Click("Remember"));
    EXPECT_EQ((Log{"click:LineB", "click:Remember"}), ClicksAfterPumping());
    EXPECT_TRUE(window.IsChecked("LineB"));
    EXPECT_FALSE(window.IsChecked("LineA"));
    EXPECT_TRUE(window.IsChecked("Remember"));
    ASSERT_TRUE(window.Click("Remember"));
    PumpFor(kSettleMs);
    EXPECT_FALSE(window.IsChecked("Remember"));
}

TEST_F(AccessibilityTest, ValueCanBeSetOnWritableEditsOnly) {
    UiWindow window = ui();
    ASSERT_TRUE(window.SetText("Account", "玩家一号"));
    EXPECT_EQ("玩家一号", window.Text("Account"));
    EXPECT_EQ("帐号", window.Name("Account")) << "typed text is the value, never the label";
    // A password can be typed in but is never read back.
    ASSERT_TRUE(window.SetText("Password", "secret"));
    EXPECT_STREQ("secret", window_->Find<CEditUI>("Password")->GetText());
    EXPECT_EQ("", window.Text("Password"));
    BSTR text = ::SysAllocString(L"x");
    EXPECT_EQ(E_ACCESSDENIED, accessible_->put_accValue(ChildNamed("Referrer"), text));
    EXPECT_EQ(E_NOTIMPL, accessible_->put_accValue(ChildNamed("Title"), text));
    ::SysFreeString(text);
}

TEST_F(AccessibilityTest, FocusRequestsRunFromTheQueueAndKeysFollowTheFocus) {
    UiWindow window = ui();
    ASSERT_TRUE(window.Focus("Logon"));
    EXPECT_TRUE(window_->notifications().empty());
    EXPECT_EQ(Log{"setfocus:Logon"}, NotificationsAfterPumping());
    EXPECT_TRUE(window.State("Logon") & STATE_SYSTEM_FOCUSED);
    // A drawn control's keys come through the window itself.
    window_->ClearNotifications();
    ASSERT_TRUE(window.PressKey(VK_RETURN));
    EXPECT_EQ(Log{"click:Logon"}, NotificationsAfterPumping());
    window_->ClearNotifications();
    for (const char* refused : {"Title", "Disabled", "Hidden"}) {
        EXPECT_FALSE(window.Focus(refused)) << refused;
    }
    // A control that leaves the tree before its turn is not focused.
    ASSERT_TRUE(window.Focus("LineB"));
    auto* row = static_cast<CContainerUI*>(window_->Find<CControlUI>("LineB")->GetParent());
    row->Remove(window_->Find<CControlUI>("LineB"));
    EXPECT_EQ(Log{}, NotificationsAfterPumping());
    // An edit box's default action focuses it, and its native window gets the keys: Tab there
    // moves on to the next control.
    ASSERT_TRUE(window.Click("Account"));
    EXPECT_EQ((Log{"killfocus:Logon", "setfocus:Account"}), NotificationsAfterPumping());
    VARIANT focus;
    ASSERT_EQ(S_OK, accessible_->get_accFocus(&focus));
    EXPECT_EQ(ChildNamed("Account").lVal, focus.vt == VT_I4 ? focus.lVal : -1);
    window_->ClearNotifications();
    ASSERT_TRUE(window.PressKey(VK_TAB));
    EXPECT_EQ((Log{"killfocus:Account", "setfocus:Password"}), NotificationsAfterPumping());
    EXPECT_TRUE(window.State("Password") & STATE_SYSTEM_FOCUSED);
}

TEST_F(AccessibilityTest, ObjectOutlivingItsWindowAnswersErrors) {
    HWND gone = hwnd();
    ::DestroyWindow(gone);
    LONG count = 0;
    EXPECT_TRUE(FAILED(accessible_->get_accChildCount(&count)));
    BSTR name = nullptr;
    EXPECT_TRUE(FAILED(accessible_->get_accName(Child(CHILDID_SELF), &name)));
    EXPECT_TRUE(FAILED(accessible_->accDoDefaultAction(Child(1))));
    // The window's manager and controls are freed too.
    window_.reset();
    VARIANT focus;
    EXPECT_TRUE(FAILED(accessible_->get_accFocus(&focus)));
    LONG left, top, width, height;
    EXPECT_TRUE(FAILED(accessible_->accLocation(&left, &top, &width, &height, Child(1))));
    EXPECT_TRUE(UiWindow(gone).Controls().empty());
}

// The automation client waits for a control or a window only as long as it is told.
TEST_F(AccessibilityTest, WaitForAndFindDispatchUntilTrueOrTheirTimeIsUp) {
    auto checked = [](const UiControl& control) { return control.state & STATE_SYSTEM_CHECKED; };
    ASSERT_TRUE(ui().Click("LineB"));
    EXPECT_TRUE(ui().WaitFor("LineB", checked, 2000)) << "the click runs while it waits";
    DWORD start = ::GetTickCount();
    EXPECT_FALSE(ui().WaitFor("LineA", checked, 300));
    EXPECT_FALSE(UiWindow::Find("GatevaneNoSuchWindow", 300));
    EXPECT_GE(::GetTickCount() - start, 600u);
    ::ShowWindow(hwnd(), SW_HIDE);
    EXPECT_FALSE(UiWindow::Find("GatevaneSkinTest", 100)) << "only a visible window is found";
}

TEST_F(AccessibilityTest, ComboElementsAreChosenByTheirDefaultActionAndLocatedWhereDrawn) {
    std::vector<UiControl> controls = ui().Controls();
    ASSERT_EQ(kTreeOrder.size(), controls.size());
    EXPECT_EQ("电信一区", controls[kFirstServerId - 1].name);
    // An element of a closed list is hidden, yet it can be chosen, as with the keyboard...
    EXPECT_TRUE(controls[kFirstServerId].state & STATE_SYSTEM_INVISIBLE);
    ASSERT_EQ(S_OK, accessible_->accDoDefaultAction(Child(kFirstServerId + 1)));
    EXPECT_EQ(Log{"itemselect:Server"}, NotificationsAfterPumping());
    EXPECT_EQ("网通二区", ui().Text("Server"));
    EXPECT_EQ("网通二区", ui().Name("Server"));
    // ... but not while the list itself is disabled or hidden.
    window_->ClearNotifications();
    servers_->SetEnabled(false);
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, accessible_->accDoDefaultAction(Child(kFirstServerId)));
    servers_->SetEnabled(true);
    servers_->SetVisible(false);
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, accessible_->accDoDefaultAction(Child(kFirstServerId)));
    EXPECT_EQ(Log{}, NotificationsAfterPumping());
    // The drop box opens right under the combo, one element after the other.
    servers_->SetVisible(true);
    PaintNow(*window_);
    ASSERT_TRUE(ui().Click("Server"));
    PumpFor(kSettleMs);
    ASSERT_TRUE(servers_->IsDropped());
    controls = ui().Controls();
    const RECT combo = ui().Control("Server")->screen;
    const UiControl& first = controls[kFirstServerId - 1];
    EXPECT_FALSE(first.state & STATE_SYSTEM_INVISIBLE);
    EXPECT_EQ(Rect({combo.left, combo.bottom, combo.right, combo.bottom + 20}), Rect(first.screen));
    EXPECT_EQ(Rect({combo.left, combo.bottom + 20, combo.right, combo.bottom + 40}),
              Rect(controls[kFirstServerId].screen));
    VARIANT hit;
    ASSERT_EQ(S_OK, accessible_->accHitTest(first.screen.left + 5, first.screen.top + 25, &hit));
    EXPECT_EQ(kFirstServerId + 1, hit.lVal);
}

}  // namespace
