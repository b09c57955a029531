// What assistive technology sees of a toolkit window, through the platform's accessibility
// interface: the raw IAccessible for its error answers, the tests' automation client for the rest.
#include <windows.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <utility>
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

// The combo's two elements (made in code, without names) are the last children, ids 20 and 21.
const long kFirstServerId = 20;
const long kChildCount = 21;

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

// The state flags a player's tools act on, as letters: Invisible, Unavailable, Checked,
// Protected, Read-only.
std::string Flags(long state) {
    std::string flags;
    for (auto [flag, letter] : {std::pair<long, char>{STATE_SYSTEM_INVISIBLE, 'I'},
                                {STATE_SYSTEM_UNAVAILABLE, 'U'},
                                {STATE_SYSTEM_CHECKED, 'C'},
                                {STATE_SYSTEM_PROTECTED, 'P'},
                                {STATE_SYSTEM_READONLY, 'R'}})
        if (state & flag) flags += letter;
    return flags;
}

class AccessibilityTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = std::make_unique<SkinTestWindow>(kSkin);
        servers_ = window_->Get<CComboUI>("Server");
        for (const char* text : {"电信一区", "网通二区"})
            servers_->Add(Labelled(new CListContainerElementUI, text, 20));
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
    // The children [from, to), as "skin name|label|role|value|flags; ...".
    std::string Children(size_t from = 0, size_t to = kChildCount) const {
        std::vector<UiControl> controls = ui().Controls();
        std::string described;
        for (size_t i = from; i < std::min(to, controls.size()); ++i) {
            const UiControl& c = controls[i];
            described += c.controlName + "|" + c.name + "|" + std::to_string(c.role) + "|" +
                         c.value + "|" + Flags(c.state) + "; ";
        }
        return described;
    }
    Log NotificationsAfterPumping() {
        PumpFor(kSettleMs);
        Log seen = window_->notifications();
        window_->ClearNotifications();
        return seen;
    }

    std::unique_ptr<SkinTestWindow> window_;
    CComboUI* servers_ = nullptr;
    ComPtr<IAccessible> accessible_;
};

// The children are the named controls and the list elements, in drawing order, as the tree is now.
// Typed text is an edit box's value, never its label; a password is typed in but never read back.
TEST_F(AccessibilityTest, ChildrenTellTheirLabelRoleValueAndStateAsTheTreeIsNow) {
    ASSERT_TRUE(ui().SetText("Account", "玩家一号") && ui().SetText("Password", "secret"));
    EXPECT_STREQ("secret", window_->Find<CEditUI>("Password")->GetText());
    // Roles: 20 grouping, 41 static text, 43 push button, 45 radio button, 44 check button,
    // 42 text, 48 progress bar, 60 page tab list, 46 combo box, 34 list item.
    EXPECT_EQ(
        "Page|Page|20||; Header|Header|20||; Title|欢迎光临|41|欢迎光临|; Hint|提示文字|41||; "
        "Bare|Bare|41||; Logon|登录|43|登录|; Hidden|Hidden|43||I; Disabled|Disabled|43||U; "
        "LineA|电信|45|电信|C; LineB|网通|45|网通|; Remember|记住密码|44|记住密码|; "
        "Account|帐号|42|玩家一号|; Password|Password|42||P; Referrer|Referrer|42|推荐人|R; "
        "Progress|Progress|48|50/200|; Pages|Pages|60|0|; FirstPage|第一页|41|第一页|; "
        "SecondPageButton|第二页|43|第二页|I; Server|Server|46||; "
        "|电信一区|34||I; |网通二区|34||I; ",
        Children());
    auto* header = window_->Get<CContainerUI>("Header");
    auto* added = new CLabelUI;
    added->SetName("Added");
    header->Add(added);
    header->Remove(window_->Get("Title"));
    window_->Get("Bare")->SetName("");
    window_->Get<CTabLayoutUI>("Pages")->SelectItem(1);
    // Showing the second page turns the states round.
    EXPECT_EQ(
        "Page|Page|20||; Header|Header|20||; Hint|提示文字|41||; Added|Added|41||; "
        "Logon|登录|43|登录|; ",
        Children(0, 5));
    EXPECT_EQ(
        "Pages|Pages|60|1|; FirstPage|第一页|41|第一页|I; SecondPageButton|第二页|43|第二页|; "
        "Server|Server|46||; |电信一区|34||I; |网通二区|34||I; ",
        Children(14));
}

TEST_F(AccessibilityTest, TheWindowIsTheClientAreaAndChildrenAreFoundWhereTheyAre) {
    VARIANT self = Child(CHILDID_SELF), role{}, focused{}, unfocused{};
    BSTR name = nullptr;
    ::SetFocus(hwnd());
    accessible_->get_accState(self, &focused);
    ::SetFocus(nullptr);
    accessible_->get_accState(self, &unfocused);
    ASSERT_TRUE(accessible_->get_accName(self, &name) == S_OK &&
                accessible_->get_accRole(self, &role) == S_OK);
    EXPECT_EQ(L"skin test", Take(name));
    EXPECT_TRUE(role.lVal == ROLE_SYSTEM_CLIENT && unfocused.lVal == STATE_SYSTEM_FOCUSABLE &&
                focused.lVal == (STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED));
    // Locations are screen rectangles that follow the window.
    ::SetWindowPos(hwnd(), nullptr, 37, 59, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpFor(50);
    LONG left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(S_OK, accessible_->accLocation(&left, &top, &width, &height, self));
    EXPECT_EQ("37,59,400,300", Rect({left, top, width, height}));
    EXPECT_EQ("37,89,117,119", Rect(ui().Control("Logon")->screen));
    // Hit tests find the last shown child in drawing order that holds the point: the hidden button
    // takes no room, so the disabled one follows the first; an unnamed label is its row's.
    std::vector<UiControl> controls = ui().Controls();
    std::string hits;
    for (POINT at : {POINT{40, 45}, {120, 45}, {220, 15}, {390, 290}, {405, 0}}) {
        VARIANT found;
        HRESULT hr = accessible_->accHitTest(37 + at.x, 59 + at.y, &found);
        hits += hr == S_FALSE && found.vt == VT_EMPTY ? "outside"
                : hr == S_OK && found.vt == VT_I4     ? controls.at(found.lVal - 1).controlName
                                                      : "?";
        hits += " ";
    }
    EXPECT_EQ("Logon Disabled Header Page outside ", hits);
}

// Unknown children, actions where there are none, values that cannot be written: each refusal
// has its own answer.
TEST_F(AccessibilityTest, WhatCannotBeDoneIsRefusedWithItsReason) {
    BSTR text = nullptr;
    VARIANT byText = Child(0);
    byText.vt = VT_BSTR;  // a null text: only numbers name children
    for (VARIANT unknown : {Child(kChildCount + 1), Child(-3), byText})
        EXPECT_EQ(E_INVALIDARG, accessible_->get_accName(unknown, &text));
    EXPECT_EQ(nullptr, text);
    // Children are simple elements, not objects of their own.
    IDispatch* child = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(S_FALSE, accessible_->get_accChild(Child(kChildCount), &child));
    EXPECT_EQ(nullptr, child);
    // Only the client area is ours: the window procedure leaves the rest to the system.
    LRESULT result = 0;
    EXPECT_FALSE(AnswerAccessibleObject(&window_->manager(), 0, OBJID_WINDOW, result));
    EXPECT_EQ(0, ::SendMessageA(hwnd(), WM_GETOBJECT, 0, OBJID_VSCROLL));
    ASSERT_EQ(S_OK, accessible_->get_accDefaultAction(ChildNamed("Logon"), &text));
    EXPECT_EQ(L"Press", Take(text));
    ASSERT_EQ(S_OK, accessible_->get_accDefaultAction(ChildNamed("Account"), &text));
    EXPECT_EQ(L"Focus", Take(text));
    EXPECT_EQ(S_FALSE, accessible_->get_accDefaultAction(ChildNamed("Title"), &text));
    EXPECT_EQ(S_FALSE, accessible_->get_accDefaultAction(Child(CHILDID_SELF), &text));
    EXPECT_EQ(nullptr, text);
    // Hidden (also on a page not shown), disabled and inert controls refuse it.
    for (const char* name : {"Hidden", "Disabled", "SecondPageButton", "Title"}) {
        EXPECT_EQ(DISP_E_MEMBERNOTFOUND, accessible_->accDoDefaultAction(ChildNamed(name))) << name;
        EXPECT_FALSE(ui().Focus(name)) << name;
    }
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, accessible_->accDoDefaultAction(Child(CHILDID_SELF)));
    text = ::SysAllocString(L"x");
    EXPECT_EQ(E_ACCESSDENIED, accessible_->put_accValue(ChildNamed("Referrer"), text));
    EXPECT_EQ(E_NOTIMPL, accessible_->put_accValue(ChildNamed("Title"), text));
    ::SysFreeString(text);
    EXPECT_EQ(Log{}, NotificationsAfterPumping());
}

// Actions and focus requests run later, from the window's queue; keys follow the focus.
TEST_F(AccessibilityTest, ActionsAndFocusRequestsRunFromTheQueue) {
    UiWindow window = ui();
    ASSERT_TRUE(window.Click("Logon"));
    EXPECT_EQ((Log{"setfocus:Logon", "click:Logon"}), NotificationsAfterPumping());
    // A drawn control's keys come through the window itself.
    ASSERT_TRUE(window.PressKey(VK_RETURN));
    EXPECT_EQ(Log{"click:Logon"}, NotificationsAfterPumping());
    // A control that leaves the tree before its turn is not focused.
    ASSERT_TRUE(window.Focus("LineB"));
    CControlUI* line = window_->Get("LineB");
    static_cast<CContainerUI*>(line->GetParent())->Remove(line);
    EXPECT_EQ(Log{}, NotificationsAfterPumping());
    // An edit box's default action focuses it.
    ASSERT_TRUE(window.Click("Account"));
    EXPECT_EQ((Log{"killfocus:Logon", "setfocus:Account"}), NotificationsAfterPumping());
    VARIANT focus;
    ASSERT_EQ(S_OK, accessible_->get_accFocus(&focus));
    EXPECT_EQ(ChildNamed("Account").lVal, focus.lVal);
}

// Every call finds the window again: once it is gone, and its controls with it, calls fail.
TEST_F(AccessibilityTest, ObjectOutlivingItsWindowAnswersErrors) {
    ::DestroyWindow(hwnd());
    LONG count = 0;
    BSTR name = nullptr;
    EXPECT_TRUE(FAILED(accessible_->get_accChildCount(&count)) &&
                FAILED(accessible_->get_accName(Child(CHILDID_SELF), &name)));
    window_.reset();
    VARIANT focus;
    EXPECT_TRUE(FAILED(accessible_->get_accFocus(&focus)) &&
                FAILED(accessible_->accDoDefaultAction(Child(1))));
}

TEST_F(AccessibilityTest, ComboElementsAreChosenByTheirDefaultActionAndLocatedWhereDrawn) {
    // An element of a closed list is hidden, yet it can be chosen, as with the keyboard...
    ASSERT_EQ(S_OK, accessible_->accDoDefaultAction(Child(kFirstServerId + 1)));
    EXPECT_EQ(Log{"itemselect:Server"}, NotificationsAfterPumping());
    EXPECT_EQ("网通二区 网通二区", ui().Text("Server") + " " + ui().Name("Server"));
    // ... but not while the list itself is disabled or hidden.
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
    const RECT combo = ui().Control("Server")->screen;
    const UiControl first = ui().Controls()[kFirstServerId - 1];
    EXPECT_EQ(Rect({combo.left, combo.bottom, combo.right, combo.bottom + 20}) + " shown",
              Rect(first.screen) + (Flags(first.state).empty() ? " shown" : " hidden"));
    VARIANT hit;
    ASSERT_EQ(S_OK, accessible_->accHitTest(first.screen.left + 5, first.screen.top + 25, &hit));
    EXPECT_EQ(kFirstServerId + 1, hit.lVal);
}

}  // namespace
