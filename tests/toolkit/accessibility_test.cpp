// What assistive technology sees of a toolkit window, read and driven through the platform's
// accessibility interface: the raw IAccessible for its error answers, the tests' automation client
// for everything a test of the launcher does.
#include <windows.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/ui_automation.h"
#include "tests/toolkit/skin_test_window.h"
#include "toolkit/combo.h"
#include "toolkit/container.h"
#include "toolkit/edit.h"
#include "toolkit/label.h"
#include "toolkit/list_element.h"
#include "toolkit/window_accessible.h"

namespace {

using gatevane::testing::UiControl;
using gatevane::testing::UiWindow;
using Microsoft::WRL::ComPtr;

// Three rows of fixed height at the top, so the controls' places are known: Title at (0,0)-(100,30)
// and Logon at (0,30)-(80,60) in the client area. Unnamed controls stay out of the tree.
const char kSkin[] = R"(<Window size="400,300">
  <Font id="0" name="微软雅黑" size="12" default="true"/>
  <VerticalLayout name="Page">
    <HorizontalLayout name="Header" height="30">
      <Label name="Title" text="欢迎光临" width="100"/>
      <Label name="Hint" tooltip="提示文字" width="60"/>
      <Label name="Bare" width="40"/>
      <Label text="无名" width="40"/>
    </HorizontalLayout>
    <HorizontalLayout height="30">
      <Button name="Logon" text="登录" width="80"/>
      <Button name="Hidden" text="隐藏" visible="false" width="80"/>
      <Button name="Disabled" text="禁用" enabled="false" width="80"/>
    </HorizontalLayout>
    <HorizontalLayout height="24">
      <Option name="LineA" group="Line" text="电信" selected="true" width="60"/>
      <Option name="LineB" group="Line" text="网通" width="60"/>
      <Option name="Remember" text="记住密码" width="80"/>
    </HorizontalLayout>
    <Edit name="Account" height="24" tooltip="帐号"/>
    <Edit name="Password" password="true" height="24"/>
    <Edit name="Referrer" readonly="true" text="推荐人" height="24"/>
    <Progress name="Progress" min="0" max="200" value="50" height="10"/>
    <TabLayout name="Pages" height="30">
      <Label name="FirstPage" text="第一页"/>
      <HorizontalLayout>
        <Button name="SecondPageButton" text="第二页"/>
      </HorizontalLayout>
    </TabLayout>
    <Combo name="Server" height="24"/>
  </VerticalLayout>
</Window>)";

// The combo's two elements (made in code, without names) follow it.
const std::vector<std::string> kTreeOrder = {
    "Page",     "Header",   "Title",    "Hint",  "Bare",      "Logon",
    "Hidden",   "Disabled", "LineA",    "LineB", "Remember",  "Account",
    "Password", "Referrer", "Progress", "Pages", "FirstPage", "SecondPageButton",
    "Server",   "",         ""};
// The child id of the first element, right after the combo's.
const long kFirstServerId = 20;

constexpr DWORD kSettleMs = 200;

VARIANT Child(long id) {
    VARIANT child;
    ::VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

ComPtr<IAccessible> AccessibleOf(HWND window) {
    ComPtr<IAccessible> accessible;
    ::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                 reinterpret_cast<void**>(accessible.GetAddressOf()));
    return accessible;
}

std::vector<std::string> ControlNames(const std::vector<UiControl>& controls) {
    std::vector<std::string> names;
    for (const UiControl& control : controls) names.push_back(control.controlName);
    return names;
}

RECT OnScreen(HWND window, RECT rect) {
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void ExpectRect(const RECT& expected, const RECT& actual) {
    EXPECT_EQ(expected.left, actual.left);
    EXPECT_EQ(expected.top, actual.top);
    EXPECT_EQ(expected.right, actual.right);
    EXPECT_EQ(expected.bottom, actual.bottom);
}

// A list element shows its text through a label inside, as the launcher's lists do.
CListContainerElementUI* ServerElement(const char* text) {
    auto* element = new CListContainerElementUI;
    element->SetFixedHeight(20);
    auto* label = new CLabelUI;
    label->SetText(text);
    element->Add(label);
    return element;
}

class AccessibilityTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = std::make_unique<SkinTestWindow>(kSkin);
        ASSERT_TRUE(window_->built());
        auto* servers = window_->Find<CComboUI>("Server");
        ASSERT_NE(nullptr, servers);
        for (const char* text : {"电信一区", "网通二区"}) servers->Add(ServerElement(text));
        PaintNow(*window_);
        PumpFor(50);
        window_->ClearNotifications();
    }

    HWND hwnd() const { return window_->GetHWND(); }
    UiWindow ui() const { return UiWindow(hwnd()); }
    long IdOf(const char* controlName) const {
        std::optional<UiControl> control = ui().Control(controlName);
        return control ? control->childId : -1;
    }
    std::vector<std::string> NotificationsAfterPumping() {
        PumpFor(kSettleMs);
        return window_->notifications();
    }
    // Pressing a button also focuses it: the clicks alone.
    std::vector<std::string> ClicksAfterPumping() {
        std::vector<std::string> clicks;
        for (const std::string& notification : NotificationsAfterPumping()) {
            if (notification.rfind("click:", 0) == 0) clicks.push_back(notification);
        }
        return clicks;
    }

    std::unique_ptr<SkinTestWindow> window_;
};

TEST_F(AccessibilityTest, ListsEveryNamedControlInDrawingOrder) {
    std::vector<UiControl> controls = ui().Controls();
    EXPECT_EQ(kTreeOrder, ControlNames(controls));
    for (size_t i = 0; i < controls.size(); ++i) {
        EXPECT_EQ(static_cast<long>(i + 1), controls[i].childId);
    }
}

TEST_F(AccessibilityTest, ChildrenTellLabelRoleAndValue) {
    struct Expected {
        const char* controlName;
        const char* name;
        long role;
        const char* value;
    };
    const Expected expected[] = {
        {"Page", "Page", ROLE_SYSTEM_GROUPING, ""},
        {"Title", "欢迎光临", ROLE_SYSTEM_STATICTEXT, "欢迎光临"},
        {"Hint", "提示文字", ROLE_SYSTEM_STATICTEXT, ""},
        {"Bare", "Bare", ROLE_SYSTEM_STATICTEXT, ""},
        {"Logon", "登录", ROLE_SYSTEM_PUSHBUTTON, "登录"},
        {"LineA", "电信", ROLE_SYSTEM_RADIOBUTTON, "电信"},
        {"Remember", "记住密码", ROLE_SYSTEM_CHECKBUTTON, "记住密码"},
        {"Account", "帐号", ROLE_SYSTEM_TEXT, ""},
        {"Password", "Password", ROLE_SYSTEM_TEXT, ""},
        {"Referrer", "Referrer", ROLE_SYSTEM_TEXT, "推荐人"},
        {"Progress", "Progress", ROLE_SYSTEM_PROGRESSBAR, "50/200"},
        {"Pages", "Pages", ROLE_SYSTEM_PAGETABLIST, "0"},
        {"Server", "Server", ROLE_SYSTEM_COMBOBOX, ""},
    };
    for (const Expected& want : expected) {
        SCOPED_TRACE(want.controlName);
        std::optional<UiControl> control = ui().Control(want.controlName);
        ASSERT_TRUE(control);
        EXPECT_EQ(want.name, control->name);
        EXPECT_EQ(want.controlName, control->controlName);
        EXPECT_EQ(want.role, control->role);
        EXPECT_EQ(want.value, control->value);
    }
}

TEST_F(AccessibilityTest, StatesFollowVisibilityEnabledSelectionAndSecrecy) {
    UiWindow window = ui();
    EXPECT_TRUE(window.State("Hidden") & STATE_SYSTEM_INVISIBLE);
    EXPECT_TRUE(window.State("SecondPageButton") & STATE_SYSTEM_INVISIBLE);
    EXPECT_FALSE(window.IsVisible("SecondPageButton"));
    EXPECT_TRUE(window.IsVisible("FirstPage"));
    EXPECT_TRUE(window.State("Disabled") & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_FALSE(window.IsEnabled("Disabled"));
    EXPECT_TRUE(window.IsEnabled("Logon"));
    EXPECT_TRUE(window.State("Logon") & STATE_SYSTEM_FOCUSABLE);
    EXPECT_FALSE(window.State("Logon") & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE));
    EXPECT_TRUE(window.IsChecked("LineA"));
    EXPECT_FALSE(window.IsChecked("LineB"));
    EXPECT_FALSE(window.IsChecked("Remember"));
    EXPECT_TRUE(window.State("Password") & STATE_SYSTEM_PROTECTED);
    EXPECT_FALSE(window.State("Account") & STATE_SYSTEM_PROTECTED);
    EXPECT_TRUE(window.State("Referrer") & STATE_SYSTEM_READONLY);
    EXPECT_EQ(-1, window.State("NoSuchControl"));
    EXPECT_FALSE(window.IsVisible("NoSuchControl"));

    // Showing the second page turns the states round.
    window_->Find<CTabLayoutUI>("Pages")->SelectItem(1);
    EXPECT_FALSE(window.IsVisible("FirstPage"));
    EXPECT_TRUE(window.IsVisible("SecondPageButton"));
    EXPECT_EQ("1", window.Text("Pages"));
}

TEST_F(AccessibilityTest, LocationsAreScreenRectanglesThatFollowTheWindow) {
    ExpectRect(OnScreen(hwnd(), RECT{0, 0, 100, 30}), ui().Control("Title")->screen);
    ExpectRect(OnScreen(hwnd(), RECT{0, 30, 80, 60}), ui().Control("Logon")->screen);

    ::SetWindowPos(hwnd(), nullptr, 37, 59, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpFor(50);
    RECT moved = OnScreen(hwnd(), RECT{0, 30, 80, 60});
    ASSERT_EQ(37, moved.left);
    ExpectRect(moved, ui().Control("Logon")->screen);
}

TEST_F(AccessibilityTest, TheWindowItselfIsTheClientArea) {
    ComPtr<IAccessible> accessible = AccessibleOf(hwnd());
    ASSERT_TRUE(accessible);
    VARIANT self = Child(CHILDID_SELF);

    BSTR name = nullptr;
    ASSERT_EQ(S_OK, accessible->get_accName(self, &name));
    EXPECT_STREQ(L"skin test", name);
    ::SysFreeString(name);

    VARIANT role;
    ASSERT_EQ(S_OK, accessible->get_accRole(self, &role));
    EXPECT_EQ(VT_I4, role.vt);
    EXPECT_EQ(ROLE_SYSTEM_CLIENT, role.lVal);

    LONG left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(S_OK, accessible->accLocation(&left, &top, &width, &height, self));
    RECT client;
    ::GetClientRect(hwnd(), &client);
    client = OnScreen(hwnd(), client);
    EXPECT_EQ(client.left, left);
    EXPECT_EQ(client.top, top);
    EXPECT_EQ(400, width);
    EXPECT_EQ(300, height);

    VARIANT state;
    ::SetFocus(hwnd());
    ASSERT_EQ(hwnd(), ::GetFocus());
    ASSERT_EQ(S_OK, accessible->get_accState(self, &state));
    EXPECT_EQ(STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED, state.lVal);
    ::SetFocus(nullptr);
    ASSERT_EQ(S_OK, accessible->get_accState(self, &state));
    EXPECT_EQ(STATE_SYSTEM_FOCUSABLE, state.lVal);

    LONG count = 0;
    ASSERT_EQ(S_OK, accessible->get_accChildCount(&count));
    EXPECT_EQ(static_cast<LONG>(kTreeOrder.size()), count);
}

TEST_F(AccessibilityTest, ChildIdsOutsideTheListAreRejected) {
    ComPtr<IAccessible> accessible = AccessibleOf(hwnd());
    ASSERT_TRUE(accessible);
    const long count = static_cast<long>(kTreeOrder.size());
    BSTR name = nullptr;
    EXPECT_EQ(E_INVALIDARG, accessible->get_accName(Child(count + 1), &name));
    EXPECT_EQ(nullptr, name);
    EXPECT_EQ(E_INVALIDARG, accessible->get_accName(Child(-3), &name));
    VARIANT text;
    ::VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = nullptr;
    EXPECT_EQ(E_INVALIDARG, accessible->get_accName(text, &name));
    EXPECT_EQ(E_INVALIDARG, accessible->accDoDefaultAction(Child(count + 1)));

    // Children are simple elements, not objects of their own.
    IDispatch* child = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(S_FALSE, accessible->get_accChild(Child(1), &child));
    EXPECT_EQ(nullptr, child);
    EXPECT_EQ(E_INVALIDARG, accessible->get_accChild(Child(count + 1), &child));
}

TEST_F(AccessibilityTest, DefaultActionIsNamedOnlyWhereThereIsOne) {
    ComPtr<IAccessible> accessible = AccessibleOf(hwnd());
    ASSERT_TRUE(accessible);
    BSTR action = nullptr;
    ASSERT_EQ(S_OK, accessible->get_accDefaultAction(Child(IdOf("Logon")), &action));
    EXPECT_STREQ(L"Press", action);
    ::SysFreeString(action);
    ASSERT_EQ(S_OK, accessible->get_accDefaultAction(Child(IdOf("Account")), &action));
    EXPECT_STREQ(L"Focus", action);
    ::SysFreeString(action);
    EXPECT_EQ(S_FALSE, accessible->get_accDefaultAction(Child(IdOf("Title")), &action));
    EXPECT_EQ(nullptr, action);
    EXPECT_EQ(S_FALSE, accessible->get_accDefaultAction(Child(CHILDID_SELF), &action));
}

TEST_F(AccessibilityTest, ButtonDefaultActionClicksOnceFromTheQueue) {
    ASSERT_TRUE(ui().Click("Logon"));
    // Nothing runs inside the client's call.
    EXPECT_TRUE(window_->notifications().empty());
    EXPECT_EQ(std::vector<std::string>{"click:Logon"}, ClicksAfterPumping());
}

TEST_F(AccessibilityTest, OptionDefaultActionSelectsWithinItsGroup) {
    UiWindow window = ui();
    ASSERT_TRUE(window.Click("LineB"));
    EXPECT_EQ(std::vector<std::string>{"click:LineB"}, ClicksAfterPumping());
    EXPECT_TRUE(window.IsChecked("LineB"));
    EXPECT_FALSE(window.IsChecked("LineA"));

    // A check box toggles.
    window_->ClearNotifications();
    ASSERT_TRUE(window.Click("Remember"));
    EXPECT_EQ(std::vector<std::string>{"click:Remember"}, ClicksAfterPumping());
    EXPECT_TRUE(window.IsChecked("Remember"));
    ASSERT_TRUE(window.Click("Remember"));
    PumpFor(kSettleMs);
    EXPECT_FALSE(window.IsChecked("Remember"));
    EXPECT_TRUE(window.IsChecked("LineB"));
}

TEST_F(AccessibilityTest, EditDefaultActionMovesTheFocus) {
    UiWindow window = ui();
    ASSERT_TRUE(window.Click("Account"));
    EXPECT_EQ(std::vector<std::string>{"setfocus:Account"}, NotificationsAfterPumping());
    EXPECT_TRUE(window.State("Account") & STATE_SYSTEM_FOCUSED);

    ComPtr<IAccessible> accessible = AccessibleOf(hwnd());
    ASSERT_TRUE(accessible);
    VARIANT focus;
    ASSERT_EQ(S_OK, accessible->get_accFocus(&focus));
    EXPECT_EQ(VT_I4, focus.vt);
    EXPECT_EQ(IdOf("Account"), focus.lVal);

    window_->ClearNotifications();
    ASSERT_TRUE(window.Click("Password"));
    EXPECT_EQ((std::vector<std::string>{"killfocus:Account", "setfocus:Password"}),
              NotificationsAfterPumping());
    EXPECT_FALSE(window.State("Account") & STATE_SYSTEM_FOCUSED);
    EXPECT_TRUE(window.State("Password") & STATE_SYSTEM_FOCUSED);
}

TEST_F(AccessibilityTest, HiddenDisabledAndInertControlsRefuseTheDefaultAction) {
    ComPtr<IAccessible> accessible = AccessibleOf(hwnd());
    ASSERT_TRUE(accessible);
    for (const char* name : {"Hidden", "Disabled", "SecondPageButton", "Title"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(DISP_E_MEMBERNOTFOUND, accessible->accDoDefaultAction(Child(IdOf(name))));
        EXPECT_FALSE(ui().Click(name));
    }
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, accessible->accDoDefaultAction(Child(CHILDID_SELF)));
    EXPECT_FALSE(ui().Click("NoSuchControl"));
    EXPECT_TRUE(NotificationsAfterPumping().empty());
}

TEST_F(AccessibilityTest, ValueCanBeSetOnWritableEditsOnly) {
    UiWindow window = ui();
    ASSERT_TRUE(window.SetText("Account", "玩家一号"));
    EXPECT_EQ("玩家一号", window.Text("Account"));
    EXPECT_STREQ("玩家一号", window_->Find<CEditUI>("Account")->GetText());
    // Typed text is the value, never the label.
    EXPECT_EQ("帐号", window.Name("Account"));

    // A password can be typed in but is never read back.
    ASSERT_TRUE(window.SetText("Password", "secret"));
    EXPECT_STREQ("secret", window_->Find<CEditUI>("Password")->GetText());
    EXPECT_EQ("", window.Text("Password"));
    EXPECT_EQ("Password", window.Name("Password"));

    ComPtr<IAccessible> accessible = AccessibleOf(hwnd());
    ASSERT_TRUE(accessible);
    BSTR text = ::SysAllocString(L"x");
    EXPECT_EQ(E_ACCESSDENIED, accessible->put_accValue(Child(IdOf("Referrer")), text));
    EXPECT_EQ(E_NOTIMPL, accessible->put_accValue(Child(IdOf("Title")), text));
    EXPECT_EQ(E_NOTIMPL, accessible->put_accValue(Child(CHILDID_SELF), text));
    ::SysFreeString(text);
    EXPECT_EQ("推荐人", window.Text("Referrer"));
    EXPECT_EQ("欢迎光临", window.Text("Title"));
}

TEST_F(AccessibilityTest, TakingTheFocusRunsFromTheQueue) {
    UiWindow window = ui();
    ASSERT_TRUE(window.Focus("Logon"));
    EXPECT_TRUE(window_->notifications().empty());
    EXPECT_EQ(std::vector<std::string>{"setfocus:Logon"}, NotificationsAfterPumping());
    EXPECT_TRUE(window.State("Logon") & STATE_SYSTEM_FOCUSED);

    window_->ClearNotifications();
    EXPECT_FALSE(window.Focus("Title"));
    EXPECT_FALSE(window.Focus("Disabled"));
    EXPECT_FALSE(window.Focus("Hidden"));
    EXPECT_TRUE(NotificationsAfterPumping().empty());

    // A control that leaves the tree before its turn is not focused.
    ASSERT_TRUE(window.Focus("LineB"));
    auto* row = static_cast<CContainerUI*>(window_->Find<CControlUI>("LineB")->GetParent());
    row->Remove(window_->Find<CControlUI>("LineB"));
    EXPECT_TRUE(NotificationsAfterPumping().empty());
}

TEST_F(AccessibilityTest, KeysGoWhereTheKeyboardFocusIs) {
    UiWindow window = ui();
    // A drawn control's keys come through the window itself.
    ASSERT_TRUE(window.Focus("Logon"));
    PumpFor(kSettleMs);
    window_->ClearNotifications();
    ASSERT_TRUE(window.PressKey(VK_RETURN));
    EXPECT_EQ(std::vector<std::string>{"click:Logon"}, NotificationsAfterPumping());

    // An edit box's native window has the focus: Tab there moves on to the next control.
    ASSERT_TRUE(window.Click("Account"));
    PumpFor(kSettleMs);
    window_->ClearNotifications();
    ASSERT_TRUE(window.PressKey(VK_TAB));
    EXPECT_EQ((std::vector<std::string>{"killfocus:Account", "setfocus:Password"}),
              NotificationsAfterPumping());
}

TEST_F(AccessibilityTest, HitTestFindsTheTopmostChildAtAPoint) {
    ComPtr<IAccessible> accessible = AccessibleOf(hwnd());
    ASSERT_TRUE(accessible);
    auto hit = [&](POINT client) {
        ::ClientToScreen(hwnd(), &client);
        VARIANT found;
        HRESULT hr = accessible->accHitTest(client.x, client.y, &found);
        return hr == S_OK && found.vt == VT_I4 ? found.lVal : -100;
    };
    EXPECT_EQ(IdOf("Logon"), hit(POINT{40, 45}));
    // The hidden button takes no room: the disabled one follows the first.
    EXPECT_EQ(IdOf("Disabled"), hit(POINT{120, 45}));
    // Over an unnamed label: its named row.
    EXPECT_EQ(IdOf("Header"), hit(POINT{220, 15}));
    EXPECT_EQ(IdOf("Page"), hit(POINT{390, 290}));

    RECT client;
    ::GetClientRect(hwnd(), &client);
    client = OnScreen(hwnd(), client);
    VARIANT outside;
    EXPECT_EQ(S_FALSE, accessible->accHitTest(client.right + 5, client.top, &outside));
    EXPECT_EQ(VT_EMPTY, outside.vt);
}

TEST_F(AccessibilityTest, ChildrenFollowChangesOfTheTree) {
    auto* header = window_->Find<CContainerUI>("Header");
    auto* added = new CLabelUI;
    added->SetName("Added");
    header->Add(added);
    header->Remove(window_->Find<CControlUI>("Title"));
    window_->Find<CControlUI>("Bare")->SetName("");

    std::vector<std::string> expected = kTreeOrder;
    expected.erase(expected.begin() + 2, expected.begin() + 5);
    expected.insert(expected.begin() + 2, {"Hint", "Added"});
    EXPECT_EQ(expected, ControlNames(ui().Controls()));
}

TEST_F(AccessibilityTest, ObjectOutlivingItsWindowAnswersErrors) {
    ComPtr<IAccessible> accessible = AccessibleOf(hwnd());
    ASSERT_TRUE(accessible);
    HWND gone = hwnd();
    ::DestroyWindow(gone);

    LONG count = 0;
    EXPECT_TRUE(FAILED(accessible->get_accChildCount(&count)));
    BSTR name = nullptr;
    EXPECT_TRUE(FAILED(accessible->get_accName(Child(CHILDID_SELF), &name)));
    EXPECT_EQ(nullptr, name);
    EXPECT_TRUE(FAILED(accessible->accDoDefaultAction(Child(1))));

    // The window's manager and controls are freed too.
    window_.reset();
    EXPECT_TRUE(FAILED(accessible->get_accName(Child(1), &name)));
    VARIANT focus;
    EXPECT_TRUE(FAILED(accessible->get_accFocus(&focus)));
    LONG left, top, width, height;
    EXPECT_TRUE(FAILED(accessible->accLocation(&left, &top, &width, &height, Child(1))));

    UiWindow window(gone);
    EXPECT_TRUE(window.Controls().empty());
    EXPECT_FALSE(window.Click("Logon"));
    EXPECT_EQ(-1, window.State("Logon"));
}

TEST_F(AccessibilityTest, OtherObjectsGetTheSystemsAnswer) {
    LRESULT result = 0;
    EXPECT_FALSE(AnswerAccessibleObject(&window_->manager(), 0, OBJID_WINDOW, result));
    EXPECT_FALSE(AnswerAccessibleObject(&window_->manager(), 0, OBJID_CARET, result));
    // The window procedure leaves them to the system's default answer.
    EXPECT_EQ(0, ::SendMessageA(hwnd(), WM_GETOBJECT, 0, OBJID_WINDOW));
    EXPECT_EQ(0, ::SendMessageA(hwnd(), WM_GETOBJECT, 0, OBJID_VSCROLL));
}

TEST_F(AccessibilityTest, WaitForDispatchesUntilTheControlAgrees) {
    UiWindow window = ui();
    ASSERT_TRUE(window.Click("LineB"));
    auto checked = [](const UiControl& control) {
        return (control.state & STATE_SYSTEM_CHECKED) != 0;
    };
    EXPECT_TRUE(window.WaitFor("LineB", checked, 2000));
    EXPECT_EQ(std::vector<std::string>{"click:LineB"}, ClicksAfterPumping());

    DWORD start = ::GetTickCount();
    EXPECT_FALSE(window.WaitFor("LineA", checked, 300));
    EXPECT_GE(::GetTickCount() - start, 300u);
    EXPECT_FALSE(window.WaitFor(
        "NoSuchControl", [](const UiControl&) { return true; }, 100));
}

TEST_F(AccessibilityTest, FindLooksForAVisibleWindowOfTheClass) {
    std::optional<UiWindow> found = UiWindow::Find("GatevaneSkinTest", 1000);
    ASSERT_TRUE(found);
    EXPECT_EQ(hwnd(), found->handle());
    EXPECT_EQ(kTreeOrder, ControlNames(found->Controls()));

    DWORD start = ::GetTickCount();
    EXPECT_FALSE(UiWindow::Find("GatevaneNoSuchWindow", 300));
    EXPECT_GE(::GetTickCount() - start, 300u);

    ::ShowWindow(hwnd(), SW_HIDE);
    EXPECT_FALSE(UiWindow::Find("GatevaneSkinTest", 100));
}

TEST_F(AccessibilityTest, ClosedComboElementsAreListedAndChosenByTheirDefaultAction) {
    std::vector<UiControl> controls = ui().Controls();
    ASSERT_EQ(kTreeOrder.size(), controls.size());
    const UiControl& first = controls[kFirstServerId - 1];
    const UiControl& second = controls[kFirstServerId];
    EXPECT_EQ("电信一区", first.name);
    EXPECT_EQ("网通二区", second.name);
    EXPECT_EQ(ROLE_SYSTEM_LISTITEM, second.role);
    EXPECT_EQ(STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_SELECTABLE, second.state);

    ComPtr<IAccessible> accessible = AccessibleOf(hwnd());
    ASSERT_TRUE(accessible);
    ASSERT_EQ(S_OK, accessible->accDoDefaultAction(Child(second.childId)));
    EXPECT_TRUE(window_->notifications().empty());
    EXPECT_EQ(std::vector<std::string>{"itemselect:Server"}, NotificationsAfterPumping());
    EXPECT_EQ("网通二区", ui().Text("Server"));
    EXPECT_EQ("网通二区", ui().Name("Server"));
    EXPECT_TRUE(ui().Controls()[kFirstServerId].state & STATE_SYSTEM_SELECTED);

    // Not while the list itself is disabled or hidden.
    window_->ClearNotifications();
    auto* servers = window_->Find<CComboUI>("Server");
    servers->SetEnabled(false);
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, accessible->accDoDefaultAction(Child(first.childId)));
    servers->SetEnabled(true);
    servers->SetVisible(false);
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, accessible->accDoDefaultAction(Child(first.childId)));
    EXPECT_TRUE(NotificationsAfterPumping().empty());
}

TEST_F(AccessibilityTest, OpenComboShowsItsElementsWhereTheyAreDrawn) {
    UiWindow window = ui();
    ASSERT_TRUE(window.Click("Server"));
    PumpFor(kSettleMs);
    ASSERT_TRUE(window_->Find<CComboUI>("Server")->IsDropped());

    // The drop box opens right under the combo, one element after the other.
    std::vector<UiControl> controls = window.Controls();
    ASSERT_EQ(kTreeOrder.size(), controls.size());
    const RECT combo = window.Control("Server")->screen;
    const UiControl& first = controls[kFirstServerId - 1];
    const UiControl& second = controls[kFirstServerId];
    EXPECT_FALSE(first.state & STATE_SYSTEM_INVISIBLE);
    ExpectRect(RECT{combo.left, combo.bottom, combo.right, combo.bottom + 20}, first.screen);
    ExpectRect(RECT{combo.left, combo.bottom + 20, combo.right, combo.bottom + 40}, second.screen);

    ComPtr<IAccessible> accessible = AccessibleOf(hwnd());
    ASSERT_TRUE(accessible);
    VARIANT hit;
    ASSERT_EQ(S_OK, accessible->accHitTest(second.screen.left + 5, second.screen.top + 5, &hit));
    EXPECT_EQ(second.childId, hit.lVal);

    window_->ClearNotifications();
    ASSERT_EQ(S_OK, accessible->accDoDefaultAction(Child(first.childId)));
    EXPECT_EQ(std::vector<std::string>{"itemselect:Server"}, NotificationsAfterPumping());
    EXPECT_FALSE(window_->Find<CComboUI>("Server")->IsDropped());
    EXPECT_EQ("电信一区", window.Text("Server"));
    EXPECT_TRUE(window.Controls()[kFirstServerId - 1].state & STATE_SYSTEM_INVISIBLE);
}

}  // namespace
