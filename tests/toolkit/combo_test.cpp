// The drop-down list in real windows: its selection, the drop box opened and used by real clicks,
// and elements that empty or refill the list from inside their own events.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/toolkit/skin_test_window.h"
#include "toolkit/button.h"
#include "toolkit/combo.h"
#include "toolkit/label.h"
#include "toolkit/list_element.h"

namespace {

constexpr const char* kSkin = R"(<Window size="400,300">
  <VerticalLayout inset="20,20,20,20">
    <Combo name="combo" height="30" width="200" textpadding="6,0,20,0" textcolor="#FF0000FF"
           itembkcolor="#FFFFFFFF" itemhotbkcolor="#FF00FF00" itemselectedbkcolor="#FFFF0000"/>
    <Control/>
  </VerticalLayout>
</Window>)";

constexpr DWORD kWaitMs = 3000;

// What happened, in order: the delayed freeing is about when elements die.
using Log = std::vector<std::string>;

// A list element as the launcher builds one: child labels, and optionally a button.
class LoggedElement : public CListContainerElementUI {
public:
    LoggedElement(Log& log, const std::string& name, int height) : log_(log), name_(name) {
        SetName(name.c_str());
        SetFixedHeight(height);
        auto* label = new CLabelUI;
        label->SetText(name.c_str());
        Add(label);
    }
    ~LoggedElement() override { log_.push_back("destroyed " + name_); }

private:
    Log& log_;
    std::string name_;
};

// Tells when its own handling of a press is over.
class LoggedButton : public CButtonUI {
public:
    explicit LoggedButton(Log& log) : log_(log) {
        SetName("delete");
        SetAttribute("float", "true");
        SetAttribute("pos", "170,5,190,25");
    }
    void DoEvent(TEventUI& event) override {
        CButtonUI::DoEvent(event);
        if (event.Type == UIEVENT_BUTTONDOWN) log_.push_back("button done");
    }

private:
    Log& log_;
};

POINT Centre(const RECT& rc) {
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

RECT ScreenRect(HWND window, RECT rc) {
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// The pointer goes there too, so the window's mouse tracking sees it inside.
void MoveTo(HWND window, POINT client) {
    POINT screen = client;
    ::ClientToScreen(window, &screen);
    ::SetCursorPos(screen.x, screen.y);
    ::PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
}

void ClickAt(HWND window, POINT client) {
    MoveTo(window, client);
    ::PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.x, client.y));
    ::PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
}

BOOL CALLBACK FindDropBox(HWND window, LPARAM found) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof(name));
    if (std::string(name) != "GatevaneComboDrop") return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The drop box window of this thread, or null.
HWND DropBox() {
    HWND found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindDropBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

int Height(const RECT& rc) {
    return rc.bottom - rc.top;
}

// Counts pixels of the window (client coordinates) in `rc` whose colour is mostly `channel`
// (0 blue, 1 green, 2 red), as the screen shows them.
int CountDominant(HWND window, const RECT& rc, int channel) {
    HDC dc = ::GetDC(window);
    int count = 0;
    for (int y = rc.top; y < rc.bottom; ++y) {
        for (int x = rc.left; x < rc.right; ++x) {
            COLORREF c = ::GetPixel(dc, x, y);
            int bgr[3] = {GetBValue(c), GetGValue(c), GetRValue(c)};
            if (bgr[channel] > 150 && bgr[(channel + 1) % 3] < 100 &&
                bgr[(channel + 2) % 3] < 100) {
                ++count;
            }
        }
    }
    ::ReleaseDC(window, dc);
    return count;
}

class ComboTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = std::make_unique<SkinTestWindow>(kSkin);
        ASSERT_TRUE(window_->built());
        combo_ = window_->Find<CComboUI>("combo");
        ASSERT_NE(combo_, nullptr);
        window_->onNotify = [this](TNotifyUI& msg) {
            if (msg.sType == DUI_MSGTYPE_ITEMSELECT) {
                selections_.emplace_back(static_cast<int>(msg.wParam),
                                         static_cast<int>(msg.lParam));
            }
        };
        PaintNow(*window_);
    }

    void TearDown() override {
        window_.reset();
        PumpFor(50);
    }

    LoggedElement* AddElement(const std::string& name, int height = 30) {
        auto* element = new LoggedElement(log_, name, height);
        EXPECT_TRUE(combo_->Add(element));
        return element;
    }

    bool WaitOpen() {
        PumpFor(kWaitMs, [this] { return combo_->IsDropped() && DropBox(); });
        if (!combo_->IsDropped() || !DropBox()) return false;
        PaintNow(DropBox());
        return true;
    }

    bool OpenByClick() {
        ClickAt(*window_, Centre(combo_->GetPos()));
        return WaitOpen();
    }

    bool WaitClosed() {
        PumpFor(kWaitMs, [this] { return !combo_->IsDropped() && !DropBox(); });
        return !combo_->IsDropped() && !DropBox();
    }

    RECT ComboOnScreen() const { return ScreenRect(*window_, combo_->GetPos()); }

    RECT DropBoxOnScreen() const {
        RECT rc{};
        ::GetWindowRect(DropBox(), &rc);
        return rc;
    }

    bool InComboWindow(CControlUI* element) const {
        return element->GetManager() == &window_->manager() && element->GetParent() == combo_ &&
               !element->IsVisible();
    }

    bool InDropBox(CControlUI* element) const {
        return element->GetManager() && element->GetManager() != &window_->manager() &&
               element->GetManager()->GetPaintWindow() == DropBox() && element->IsVisible();
    }

    int CountNotifications(const std::string& entry) const {
        int count = 0;
        for (const std::string& seen : window_->notifications()) count += seen == entry;
        return count;
    }

    Log log_;
    std::unique_ptr<SkinTestWindow> window_;
    CComboUI* combo_ = nullptr;
    std::vector<std::pair<int, int>> selections_;
};

// Empties (and optionally refills) the list when the button it watches is pressed, as the
// account list's delete button does.
class EmptyListOnPress {
public:
    EmptyListOnPress(CComboUI* combo, Log& log, std::vector<std::pair<std::string, int>> refill)
        : combo_(combo), log_(log), refill_(std::move(refill)) {}

    bool OnEvent(void* param) {
        if (static_cast<TEventUI*>(param)->Type != UIEVENT_BUTTONDOWN) return true;
        log_.push_back("remove all");
        combo_->RemoveAll();
        for (const auto& [name, height] : refill_) {
            combo_->Add(new LoggedElement(log_, name, height));
        }
        log_.push_back("list changed");
        return true;
    }

private:
    CComboUI* combo_;
    Log& log_;
    std::vector<std::pair<std::string, int>> refill_;
};

// --- Selection and the list itself -------------------------------------------------------------

TEST_F(ComboTest, SelectItemRaisesItemSelectWithTheNewAndOldIndexEveryTime) {
    AddElement("a");
    CListContainerElementUI* b = AddElement("b");
    AddElement("c");
    EXPECT_EQ(combo_->GetCurSel(), -1);

    EXPECT_TRUE(combo_->SelectItem(1));
    EXPECT_EQ(combo_->GetCurSel(), 1);
    EXPECT_TRUE(b->IsSelected());
    EXPECT_EQ(combo_->GetText(), "b");
    EXPECT_TRUE(combo_->SelectItem(1));
    EXPECT_TRUE(combo_->SelectItem(-1));
    EXPECT_FALSE(b->IsSelected());
    EXPECT_EQ(combo_->GetText(), "");

    EXPECT_FALSE(combo_->SelectItem(3));
    EXPECT_FALSE(combo_->SelectItem(-2));
    EXPECT_EQ(combo_->GetCurSel(), -1);

    std::vector<std::pair<int, int>> expected{{1, -1}, {1, 1}, {-1, 1}};
    EXPECT_EQ(selections_, expected);
    EXPECT_EQ(CountNotifications("itemselect:combo"), 3);
}

TEST_F(ComboTest, AddAtTakesOnlyElementsAtIndexesUpToTheCountAndKeepsTheSelectedElement) {
    auto label = std::make_unique<CLabelUI>();
    EXPECT_FALSE(combo_->Add(label.get()));
    EXPECT_FALSE(combo_->AddAt(label.get(), 0));

    auto stray = std::make_unique<LoggedElement>(log_, "stray", 30);
    EXPECT_FALSE(combo_->AddAt(stray.get(), -1));
    EXPECT_FALSE(combo_->AddAt(stray.get(), 1));
    EXPECT_EQ(combo_->GetCount(), 0);
    EXPECT_EQ(stray->GetOwner(), nullptr);

    CListContainerElementUI* a = AddElement("a");
    CListContainerElementUI* b = AddElement("b");
    EXPECT_FALSE(combo_->Add(a)) << "an element is in the list once";
    ASSERT_TRUE(combo_->SelectItem(1));

    CListContainerElementUI* c = new LoggedElement(log_, "c", 30);
    ASSERT_TRUE(combo_->AddAt(c, 0));
    EXPECT_EQ(c->GetOwner(), combo_);
    EXPECT_EQ(c->GetIndex(), 0);
    EXPECT_EQ(a->GetIndex(), 1);
    EXPECT_EQ(combo_->GetCurSel(), 2);
    EXPECT_TRUE(b->IsSelected());

    ASSERT_TRUE(combo_->AddAt(new LoggedElement(log_, "d", 30), 3));
    EXPECT_EQ(combo_->GetItemAt(3)->GetName(), "d");
    EXPECT_EQ(combo_->GetCurSel(), 2) << "adding after the selection leaves it alone";

    ASSERT_TRUE(combo_->Remove(c));
    EXPECT_EQ(combo_->GetCurSel(), 1);
    EXPECT_TRUE(b->IsSelected());
    ASSERT_TRUE(combo_->Remove(b));
    EXPECT_EQ(combo_->GetCurSel(), -1);
    Log expected{"destroyed c", "destroyed b"};
    EXPECT_EQ(log_, expected);
    EXPECT_EQ(selections_.size(), 1u) << "only the explicit selection raised itemselect";
}

TEST_F(ComboTest, RemoveAllEmptiesTheListResetsTheSelectionAndFreesTheElements) {
    AddElement("a");
    AddElement("b");
    ASSERT_TRUE(combo_->SelectItem(1));

    combo_->RemoveAll();
    EXPECT_EQ(combo_->GetCount(), 0);
    EXPECT_EQ(combo_->GetCurSel(), -1);
    Log expected{"destroyed a", "destroyed b"};
    EXPECT_EQ(log_, expected);
    EXPECT_FALSE(combo_->SelectItem(0));
}

TEST_F(ComboTest, ElementsAreChildrenButAreNeitherShownNorHitInTheCombosWindow) {
    CListContainerElementUI* a = AddElement("a");
    EXPECT_EQ(combo_->GetChildCount(), 1);
    EXPECT_EQ(combo_->GetChildAt(0), a);
    EXPECT_TRUE(InComboWindow(a));
    PaintNow(*window_);
    EXPECT_EQ(window_->manager().FindControl(Centre(combo_->GetPos())), combo_);
    EXPECT_EQ(window_->manager().FindControl("a"), a) << "found by name like any child";
}

TEST_F(ComboTest, ElementTextJoinsTheShownChildTextsUnlessItHasItsOwn) {
    CListContainerElementUI* account = AddElement("alice");
    auto* number = new CLabelUI;
    number->SetText("10086");
    account->Add(number);
    auto* hidden = new CButtonUI;
    hidden->SetText("delete");
    hidden->SetVisible(false);
    account->Add(hidden);
    auto* empty = new CLabelUI;
    account->Add(empty);

    EXPECT_EQ(account->GetText(), "alice 10086");
    ASSERT_TRUE(combo_->SelectItem(0));
    EXPECT_EQ(combo_->GetText(), "alice 10086");
    EXPECT_EQ(combo_->AccessibleValue(), "alice 10086");

    account->SetText("own text");
    EXPECT_EQ(account->GetText(), "own text");
}

TEST_F(ComboTest, ClosedComboDrawsTheSelectedElementsText) {
    AddElement("WWWWWW");
    RECT area = combo_->GetPos();
    PaintNow(*window_);
    EXPECT_EQ(CountDominant(*window_, area, 0), 0);
    ASSERT_TRUE(combo_->SelectItem(0));
    PaintNow(*window_);
    EXPECT_GT(CountDominant(*window_, area, 0), 10) << "the text is drawn in the combo's colour";
    EXPECT_EQ(CountDominant(*window_, area, 2), 0) << "elements are not drawn in the window";
}

// --- The drop box ------------------------------------------------------------------------------

TEST_F(ComboTest, ClickOpensTheBoxUnderTheComboAndEscapeGivesTheElementsBack) {
    std::vector<CListContainerElementUI*> elements{AddElement("a", 30), AddElement("b", 40),
                                                   AddElement("c", 20)};
    EXPECT_FALSE(combo_->IsDropped());
    EXPECT_EQ(DropBox(), nullptr);

    ASSERT_TRUE(OpenByClick());
    HWND box = DropBox();
    EXPECT_EQ(::GetWindow(box, GW_OWNER), window_->GetHWND());
    EXPECT_TRUE(::GetWindowLongPtrA(box, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(::IsWindowVisible(box));
    RECT combo = ComboOnScreen();
    RECT rc = DropBoxOnScreen();
    EXPECT_EQ(rc.left, combo.left);
    EXPECT_EQ(rc.top, combo.bottom);
    EXPECT_EQ(rc.right, combo.right) << "dropboxsize width 0 is the combo's width";
    EXPECT_EQ(Height(rc), 90) << "the sum of the elements' heights";
    int top = 0;
    for (CListContainerElementUI* element : elements) {
        EXPECT_TRUE(InDropBox(element)) << element->GetName().GetData();
        EXPECT_EQ(element->GetPos().top, top);
        top = element->GetPos().bottom;
    }
    EXPECT_EQ(combo_->AccessibleDefaultAction(), "Close");

    ::PostMessageA(box, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitClosed());
    EXPECT_FALSE(::IsWindow(box));
    for (CListContainerElementUI* element : elements) {
        EXPECT_TRUE(InComboWindow(element)) << element->GetName().GetData();
    }
    EXPECT_TRUE(selections_.empty());
    EXPECT_TRUE(log_.empty());
}

TEST_F(ComboTest, AnEmptyListOpensNoBox) {
    combo_->OpenDrop();
    ClickAt(*window_, Centre(combo_->GetPos()));
    PumpFor(200);
    EXPECT_FALSE(combo_->IsDropped());
    EXPECT_EQ(DropBox(), nullptr);
}

TEST_F(ComboTest, DefaultActionOpensAndClosesTheBox) {
    AddElement("a");
    EXPECT_EQ(combo_->AccessibleRole(), ROLE_SYSTEM_COMBOBOX);
    EXPECT_EQ(combo_->AccessibleDefaultAction(), "Open");

    window_->manager().PostDefaultAction(combo_);
    EXPECT_FALSE(combo_->IsDropped()) << "default actions run from the queue";
    ASSERT_TRUE(WaitOpen());

    window_->manager().PostDefaultAction(combo_);
    ASSERT_TRUE(WaitClosed());
    EXPECT_EQ(combo_->AccessibleDefaultAction(), "Open");
}

TEST_F(ComboTest, DropBoxSizeSetsTheWidthAndLimitsTheHeight) {
    combo_->SetAttribute("dropboxsize", "150,50");
    AddElement("a");
    AddElement("b");
    AddElement("c");
    ASSERT_TRUE(OpenByClick());
    RECT rc = DropBoxOnScreen();
    EXPECT_EQ(rc.right - rc.left, 150);
    EXPECT_EQ(Height(rc), 50);
}

TEST_F(ComboTest, BoxOpensAboveTheComboWhenTheWorkAreaHasNoRoomBelow) {
    AddElement("a", 40);
    AddElement("b", 40);
    RECT work{};
    ASSERT_TRUE(::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    // The combo (20 px under the window's top) ends 30 px above the work area's bottom.
    ::SetWindowPos(*window_, nullptr, 100, work.bottom - 80, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(OpenByClick());
    RECT combo = ComboOnScreen();
    ASSERT_LT(work.bottom - combo.bottom, 80);
    RECT rc = DropBoxOnScreen();
    EXPECT_EQ(rc.bottom, combo.top);
    EXPECT_EQ(Height(rc), 80);
    EXPECT_EQ(rc.left, combo.left);
}

TEST_F(ComboTest, ClickOnAnElementSelectsItInTheCombosWindowAndClosesTheBox) {
    AddElement("a");
    CListContainerElementUI* b = AddElement("b");
    ASSERT_TRUE(OpenByClick());
    HWND box = DropBox();

    MoveTo(box, Centre(b->GetPos()));
    PumpFor(kWaitMs, [b] { return b->IsHot(); });
    EXPECT_TRUE(b->IsHot());
    PaintNow(box);
    EXPECT_GT(CountDominant(box, b->GetPos(), 1), 100) << "the hot background";

    ClickAt(box, Centre(b->GetPos()));
    ASSERT_TRUE(WaitClosed());
    EXPECT_EQ(combo_->GetCurSel(), 1);
    std::vector<std::pair<int, int>> expected{{1, -1}};
    EXPECT_EQ(selections_, expected);
    EXPECT_EQ(CountNotifications("itemselect:combo"), 1);
    EXPECT_TRUE(InComboWindow(b));
    EXPECT_FALSE(b->IsHot());
}

TEST_F(ComboTest, SelectedElementShowsTheSelectedBackgroundInTheBox) {
    AddElement("a");
    CListContainerElementUI* b = AddElement("b");
    ASSERT_TRUE(combo_->SelectItem(1));
    ASSERT_TRUE(OpenByClick());
    HWND box = DropBox();
    PaintNow(box);
    EXPECT_GT(CountDominant(box, b->GetPos(), 2), 100);
    EXPECT_EQ(CountDominant(box, combo_->GetItemAt(0)->GetPos(), 2), 0);
}

TEST_F(ComboTest, BoxClosesWhenItLosesTheActivation) {
    AddElement("a");
    ASSERT_TRUE(OpenByClick());
    ::SetActiveWindow(*window_);
    ASSERT_TRUE(WaitClosed());
    EXPECT_TRUE(InComboWindow(combo_->GetItemAt(0)));
}

TEST_F(ComboTest, PressOnTheComboWhileOpenClosesTheBox) {
    AddElement("a");
    ASSERT_TRUE(OpenByClick());
    ClickAt(*window_, Centre(combo_->GetPos()));
    ASSERT_TRUE(WaitClosed());
    PumpFor(100);
    EXPECT_FALSE(combo_->IsDropped()) << "the release does not open it again";
}

TEST_F(ComboTest, BoxGoesWithTheCombosWindow) {
    AddElement("a");
    ASSERT_TRUE(OpenByClick());
    HWND box = DropBox();
    window_.reset();
    EXPECT_FALSE(::IsWindow(box));
    Log expected{"destroyed a"};
    EXPECT_EQ(log_, expected);
}

TEST_F(ComboTest, HidingTheComboClosesTheBox) {
    AddElement("a");
    ASSERT_TRUE(OpenByClick());
    combo_->SetVisible(false);
    ASSERT_TRUE(WaitClosed());
}

// --- The list changing while the box is open ---------------------------------------------------

TEST_F(ComboTest, AddingAndRemovingWhileOpenUpdatesTheBox) {
    CListContainerElementUI* a = AddElement("a", 30);
    AddElement("b", 30);
    ASSERT_TRUE(OpenByClick());
    HWND box = DropBox();

    CListContainerElementUI* c = AddElement("c", 40);
    EXPECT_TRUE(InDropBox(c));
    PumpFor(kWaitMs, [this] { return Height(DropBoxOnScreen()) == 100; });
    EXPECT_EQ(Height(DropBoxOnScreen()), 100);

    ASSERT_TRUE(combo_->Remove(a));
    PumpFor(kWaitMs, [this] { return Height(DropBoxOnScreen()) == 70; });
    EXPECT_EQ(Height(DropBoxOnScreen()), 70);
    EXPECT_EQ(DropBox(), box);

    combo_->RemoveAll();
    ASSERT_TRUE(WaitClosed()) << "an empty list closes the box";
    Log expected{"destroyed a", "destroyed b", "destroyed c"};
    EXPECT_EQ(log_, expected);
}

TEST_F(ComboTest, ElementEmptyingTheListFromItsButtonsPressIsFreedAfterTheDispatch) {
    CListContainerElementUI* a = AddElement("a");
    AddElement("b");
    auto* remove = new LoggedButton(log_);
    a->Add(remove);
    EmptyListOnPress handler(combo_, log_, {});
    remove->OnEvent += MakeDelegate(&handler, &EmptyListOnPress::OnEvent);

    ASSERT_TRUE(OpenByClick());
    HWND box = DropBox();
    ClickAt(box, Centre(remove->GetPos()));
    ASSERT_TRUE(WaitClosed());

    Log expected{"remove all", "list changed", "button done", "destroyed a", "destroyed b"};
    EXPECT_EQ(log_, expected);
    EXPECT_EQ(combo_->GetCount(), 0);
    EXPECT_EQ(combo_->GetCurSel(), -1);
    EXPECT_TRUE(selections_.empty()) << "a press on the button is not a click on the element";
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(ComboTest, ElementRefillingTheListFromItsButtonsPressLeavesTheBoxShowingTheNewList) {
    CListContainerElementUI* a = AddElement("a");
    auto* remove = new LoggedButton(log_);
    a->Add(remove);
    EmptyListOnPress handler(combo_, log_, {{"new1", 30}, {"new2", 50}});
    remove->OnEvent += MakeDelegate(&handler, &EmptyListOnPress::OnEvent);

    ASSERT_TRUE(OpenByClick());
    HWND box = DropBox();
    ClickAt(box, Centre(remove->GetPos()));
    PumpFor(kWaitMs, [this] { return DropBox() && Height(DropBoxOnScreen()) == 80; });

    Log expected{"remove all", "list changed", "button done", "destroyed a"};
    EXPECT_EQ(log_, expected);
    ASSERT_EQ(combo_->GetCount(), 2);
    ASSERT_EQ(DropBox(), box) << "the box stays open for the new list";
    EXPECT_EQ(::GetCapture(), nullptr) << "the box does not keep the press's capture";
    EXPECT_EQ(Height(DropBoxOnScreen()), 80);
    CControlUI* second = combo_->GetItemAt(1);
    EXPECT_TRUE(InDropBox(combo_->GetItemAt(0)));
    EXPECT_TRUE(InDropBox(second));

    PaintNow(box);
    ClickAt(box, Centre(second->GetPos()));
    ASSERT_TRUE(WaitClosed());
    std::vector<std::pair<int, int>> selected{{1, -1}};
    EXPECT_EQ(selections_, selected);
}

TEST_F(ComboTest, NotificationsOfControlsInsideTheBoxReachTheCombosWindow) {
    CListContainerElementUI* a = AddElement("a");
    auto* button = new LoggedButton(log_);
    a->Add(button);
    ASSERT_TRUE(OpenByClick());
    ClickAt(DropBox(), Centre(button->GetPos()));
    PumpFor(kWaitMs, [this] { return CountNotifications("click:delete") > 0; });
    EXPECT_EQ(CountNotifications("click:delete"), 1);
    EXPECT_TRUE(combo_->IsDropped()) << "the element was not clicked";
    EXPECT_EQ(combo_->GetCurSel(), -1);
}

// --- Accessibility -----------------------------------------------------------------------------

TEST_F(ComboTest, ElementsAreSelectableListItemsWhoseDefaultActionSelects) {
    AddElement("a");
    CListContainerElementUI* b = AddElement("b");
    EXPECT_EQ(b->AccessibleRole(), ROLE_SYSTEM_LISTITEM);
    EXPECT_EQ(b->AccessibleDefaultAction(), "Select");
    EXPECT_TRUE(b->AccessibleState() & STATE_SYSTEM_SELECTABLE);
    EXPECT_FALSE(b->AccessibleState() & STATE_SYSTEM_SELECTED);

    window_->manager().PostDefaultAction(b);
    PumpFor(kWaitMs, [this] { return !selections_.empty(); });
    std::vector<std::pair<int, int>> expected{{1, -1}};
    EXPECT_EQ(selections_, expected);
    EXPECT_TRUE(b->AccessibleState() & STATE_SYSTEM_SELECTED);
    EXPECT_EQ(combo_->AccessibleValue(), "b");
}

TEST_F(ComboTest, ElementDefaultActionWhileOpenSelectsAndClosesTheBox) {
    CListContainerElementUI* a = AddElement("a");
    AddElement("b");
    ASSERT_TRUE(OpenByClick());
    window_->manager().PostDefaultAction(a);
    ASSERT_TRUE(WaitClosed());
    std::vector<std::pair<int, int>> expected{{0, -1}};
    EXPECT_EQ(selections_, expected);
}

TEST_F(ComboTest, ElementOutsideAListDoesNotSelect) {
    auto element = std::make_unique<LoggedElement>(log_, "a", 30);
    EXPECT_FALSE(element->Select()) << "an element outside a list";
    EXPECT_EQ(element->GetIndex(), -1);
    EXPECT_FALSE(element->IsSelected());
}

}  // namespace
