// The drop-down list in real windows: its selection, the drop box opened and used by real clicks,
// and elements that empty or refill the list from inside their own events.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/unique_handle_win.h"
#include "tests/toolkit/skin_test_window.h"
#include "toolkit/button_win.h"
#include "toolkit/combo_win.h"
#include "toolkit/label_win.h"
#include "toolkit/list_element_win.h"

namespace {

// Elements are drawn on white, hot on green and selected on red; the text is blue.
constexpr const char* kSkin = R"(<Window size="400,300"><VerticalLayout inset="20,20,20,20">
  <Combo name="combo" height="30" width="200" textpadding="6,0,20,0" textcolor="#FF0000FF"
         itembkcolor="#FFFFFFFF" itemhotbkcolor="#FF00FF00" itemselectedbkcolor="#FFFF0000"/>
</VerticalLayout></Window>)";

constexpr DWORD kWaitMs = 3000;
enum Channel { kBlue, kGreen, kRed };

// What happened, in order: the delayed freeing is about when elements die.
using Log = std::vector<std::string>;
// "itemselect" notifications as (new index, old index).
using Selections = std::vector<std::pair<int, int>>;

// The account list's delete button: `onPress` runs from the OnEvent delegates, before the
// button's own handling of the press, which logs when it is over.
class DeleteButton : public CButtonUI {
public:
    explicit DeleteButton(Log& log, std::function<void()> onPress = nullptr)
        : log_(log), onPress_(std::move(onPress)) {
        SetName("delete");
        SetAttribute("float", "true");
        SetAttribute("pos", "170,5,190,25");
        OnEvent += MakeDelegate(this, &DeleteButton::Pressed);
    }
    void DoEvent(TEventUI& event) override {
        CButtonUI::DoEvent(event);
        if (event.Type == UIEVENT_BUTTONDOWN) log_.push_back("button done");
    }

private:
    bool Pressed(void* event) {
        if (onPress_ && static_cast<TEventUI*>(event)->Type == UIEVENT_BUTTONDOWN) onPress_();
        return true;
    }

    Log& log_;
    std::function<void()> onPress_;
};

// The drop box window of this thread, or null.
HWND DropBox() {
    HWND box = nullptr;
    while ((box = ::FindWindowExA(nullptr, box, "GatevaneComboDrop", nullptr))) {
        if (::GetWindowThreadProcessId(box, nullptr) == ::GetCurrentThreadId()) return box;
    }
    return nullptr;
}

// Pixels of the window (client coordinates) in `rc` whose colour is mostly `channel`, as the
// screen shows them.
int CountDominant(HWND window, const RECT& rc, Channel channel) {
    gatevane::WindowDc dc(window);
    int count = 0;
    for (int y = rc.top; y < rc.bottom; ++y) {
        for (int x = rc.left; x < rc.right; ++x) {
            const COLORREF c = ::GetPixel(dc.get(), x, y);
            const int bgr[3] = {GetBValue(c), GetGValue(c), GetRValue(c)};
            count +=
                bgr[channel] > 150 && bgr[(channel + 1) % 3] < 100 && bgr[(channel + 2) % 3] < 100;
        }
    }
    return count;
}

class ComboTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = std::make_unique<SkinTestWindow>(kSkin);
        combo_ = window_->Get<CComboUI>("combo");
        window_->onNotify = [this](TNotifyUI& msg) {
            if (msg.sType == DUI_MSGTYPE_ITEMSELECT && msg.pSender == combo_) {
                selections_.emplace_back(static_cast<int>(msg.wParam),
                                         static_cast<int>(msg.lParam));
            }
        };
    }

    CListContainerElementUI* NewElement(const std::string& name, int height = 30) {
        return Labelled(new Logged<CListContainerElementUI>(log_, name), name, height);
    }
    CListContainerElementUI* AddElement(const std::string& name, int height = 30) {
        CListContainerElementUI* element = NewElement(name, height);
        EXPECT_TRUE(combo_->Add(element));
        return element;
    }
    // Waits until the combo and its box window agree that the box is open (and painted) or not.
    bool WaitDropped(bool open) {
        auto done = [this, open] { return combo_->IsDropped() == open && !DropBox() == !open; };
        PumpFor(kWaitMs, done);
        if (open && done()) PaintNow(DropBox());
        return done();
    }
    bool OpenByClick() {
        ClickAt(*window_, Centre(combo_));
        return WaitDropped(true);
    }
    // The box's place in the combo's window.
    RECT DropBoxRect() const {
        RECT rc{};
        ::GetWindowRect(DropBox(), &rc);
        ::MapWindowPoints(nullptr, *window_, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }
    int DropBoxHeight() const { return DropBoxRect().bottom - DropBoxRect().top; }
    // Empties the list from inside an element's event, as the account list's delete button does.
    void EmptyList(const std::vector<std::pair<const char*, int>>& refill) {
        log_.push_back("remove all");
        combo_->RemoveAll();
        for (const auto& [name, height] : refill) AddElement(name, height);
        log_.push_back("list changed");
    }
    // Elements are children of the combo, hidden in its window while the box is closed.
    std::string Where(CControlUI* element) const {
        HWND in = element->GetManager() ? element->GetManager()->GetPaintWindow() : nullptr;
        std::string where = in && in == DropBox()            ? "box"
                            : element->GetParent() != combo_ ? "astray"
                            : in == *window_                 ? "combo window"
                                                             : "?";
        return where + (element->IsVisible() ? " shown" : " hidden");
    }

    Log log_;
    std::unique_ptr<SkinTestWindow> window_;
    CComboUI* combo_ = nullptr;
    Selections selections_;
};

// Selecting raises "itemselect" with the new and old index every time; the selection stays with
// its element while the list changes.
TEST_F(ComboTest, SelectionRaisesItemSelectAndFollowsItsElementAsTheListChanges) {
    auto label = std::make_unique<CLabelUI>();
    EXPECT_FALSE(combo_->AddAt(label.get(), 0)) << "only list elements";
    std::unique_ptr<CListContainerElementUI> stray(NewElement("stray"));
    EXPECT_FALSE(stray->Select()) << "an element outside a list";
    EXPECT_FALSE(combo_->AddAt(stray.get(), -1) || combo_->AddAt(stray.get(), 1));
    EXPECT_EQ(stray->GetOwner(), nullptr);

    CListContainerElementUI* a = AddElement("a");
    CListContainerElementUI* b = AddElement("b");
    EXPECT_FALSE(combo_->Add(a)) << "an element is in the list once";
    EXPECT_TRUE(combo_->SelectItem(1) && combo_->SelectItem(1) && !combo_->SelectItem(2) &&
                !combo_->SelectItem(-2));
    // Adding at or before the selection moves it along; adding after leaves it alone.
    CListContainerElementUI* c = NewElement("c");
    ASSERT_TRUE(combo_->AddAt(c, 1) && combo_->AddAt(NewElement("d"), 3));
    EXPECT_EQ(c->GetIndex(), 1) << "it knows its list";
    EXPECT_EQ(combo_->GetCurSel(), 2);
    // Removing before the selection moves it back; removing the selected one, or all, clears it.
    ASSERT_TRUE(combo_->Remove(c));
    EXPECT_TRUE(b->IsSelected());
    ASSERT_TRUE(combo_->Remove(b));
    EXPECT_EQ(combo_->GetCurSel(), -1);
    EXPECT_EQ(log_, (Log{"freed:c", "freed:b"}));
    ASSERT_TRUE(combo_->SelectItem(0));
    PaintNow(*window_);
    EXPECT_GT(CountDominant(*window_, combo_->GetPos(), kBlue), 0) << "the text, in its colour";
    EXPECT_EQ(CountDominant(*window_, combo_->GetPos(), kRed), 0) << "no element drawn there";
    ASSERT_TRUE(combo_->SelectItem(-1));
    EXPECT_EQ(combo_->GetText(), "");
    ASSERT_TRUE(combo_->SelectItem(1));
    combo_->RemoveAll();
    EXPECT_EQ(combo_->GetCurSel(), -1);
    EXPECT_EQ(log_, (Log{"freed:c", "freed:b", "freed:a", "freed:d"}));
    EXPECT_EQ(selections_, (Selections{{1, -1}, {1, 1}, {0, -1}, {-1, 0}, {1, -1}}))
        << "only the explicit selections";
}

// The box is as wide as the combo and as high as its elements unless dropboxsize says otherwise,
// under the combo, or above it when the work area has no room below.
TEST_F(ComboTest, ClickOpensTheBoxUnderTheComboSizedByTheElementsOrDropBoxSize) {
    ClickAt(*window_, Centre(combo_));
    PumpFor(200);
    EXPECT_EQ(DropBox(), nullptr) << "an empty list opens no box";
    for (const auto& [name, height] : {std::pair{"a", 30}, {"b", 40}, {"c", 20}})
        AddElement(name, height);
    ASSERT_TRUE(OpenByClick());
    const RECT combo = combo_->GetPos();
    EXPECT_EQ(Rect(DropBoxRect()),
              Rect({combo.left, combo.bottom, combo.right, combo.bottom + 90}));
    combo_->CloseDrop();
    ASSERT_TRUE(WaitDropped(false));
    combo_->SetAttribute("dropboxsize", "150,50");
    RECT work{};
    ASSERT_TRUE(::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    // The combo (20 px under the window's top) ends 30 px above the work area's bottom.
    ::SetWindowPos(*window_, nullptr, 100, work.bottom - 80, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(OpenByClick());
    EXPECT_EQ(Rect(DropBoxRect()), Rect({combo.left, combo.top - 50, combo.left + 150, combo.top}));
}

// However the box closes, the elements go back to the combo's window, unselected and alive; the
// box goes with the combo's window too.
TEST_F(ComboTest, TheBoxClosesOnEscapeLostActivationAPressOnTheComboHidingOrDefaultAction) {
    AddElement("a");
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"Escape", [] { ::PostMessageA(DropBox(), WM_KEYDOWN, VK_ESCAPE, 0); }},
        {"activation lost", [this] { ::SetActiveWindow(*window_); }},
        // A click on the combo activates its window, which closes the box before the release.
        {"press on the combo",
         [this] {
             const POINT at = Centre(combo_);
             ClickAt(*window_, at, at, [this] { ::SetActiveWindow(*window_); });
         }},
        {"combo hidden", [this] { combo_->SetVisible(false); }},
        {"default action", [this] { window_->manager().PostDefaultAction(combo_); }},
    };
    for (const auto& [way, close] : ways) {
        ASSERT_TRUE(OpenByClick()) << way;
        close();
        ASSERT_TRUE(WaitDropped(false)) << way;
        PumpFor(100);
        EXPECT_FALSE(combo_->IsDropped()) << way << ": the release does not open it again";
        EXPECT_EQ(Where(combo_->GetItemAt(0)), "combo window hidden") << way;
        combo_->SetVisible(true);
        PaintNow(*window_);  // laid out again
    }
    EXPECT_TRUE(selections_.empty() && log_.empty()) << "nothing selected, nothing freed";
    ASSERT_TRUE(OpenByClick());
    HWND box = DropBox();
    window_.reset();
    EXPECT_FALSE(::IsWindow(box));
    EXPECT_EQ(log_, (Log{"freed:a"}));
}

// Controls in an element notify the combo's window; a click on the element, or its default action,
// selects it. The pointer's place shows over the selection: it is what a click would pick.
TEST_F(ComboTest, ClicksInTheBoxReachTheCombosWindowAndAClickOnAnElementSelectsIt) {
    CListContainerElementUI* a = AddElement("a");
    CListContainerElementUI* b = AddElement("b");
    auto* button = new DeleteButton(log_);
    a->Add(button);
    ASSERT_TRUE(combo_->SelectItem(0));
    ASSERT_TRUE(OpenByClick());
    HWND box = DropBox();
    EXPECT_GT(CountDominant(box, a->GetPos(), kRed), 100) << "the selected background";
    EXPECT_EQ(CountDominant(box, b->GetPos(), kRed), 0);
    ClickAt(box, Centre(button));
    auto deletes = [this] {
        const Log& notes = window_->notifications();
        return std::count(notes.begin(), notes.end(), "click:delete");
    };
    PumpFor(kWaitMs, deletes);
    EXPECT_EQ(deletes(), 1);
    EXPECT_TRUE(combo_->IsDropped()) << "the element was not clicked";

    MoveTo(box, Centre(b));
    PumpFor(kWaitMs, [b] { return b->IsHot(); });
    PaintNow(box);
    EXPECT_GT(CountDominant(box, b->GetPos(), kGreen), 100) << "the hot background";
    ClickAt(box, Centre(b));
    ASSERT_TRUE(WaitDropped(false));
    EXPECT_FALSE(b->IsHot());
    EXPECT_TRUE(b->AccessibleState() & STATE_SYSTEM_SELECTED);
    ASSERT_TRUE(OpenByClick());
    window_->manager().PostDefaultAction(a);
    ASSERT_TRUE(WaitDropped(false));
    EXPECT_EQ(selections_, (Selections{{0, -1}, {1, 0}, {0, 1}}));
}

// The account list's delete button empties the list, and may refill it, from inside the press:
// the element dies only once the press's dispatch is over, and the box closes or follows the list.
TEST_F(ComboTest, AnElementsButtonMayEmptyOrRefillTheListDuringItsOwnPress) {
    CListContainerElementUI* a = AddElement("a");
    AddElement("b");
    auto* remove = new DeleteButton(log_, [this] { EmptyList({}); });
    a->Add(remove);
    ASSERT_TRUE(OpenByClick());
    ClickAt(DropBox(), Centre(remove));
    ASSERT_TRUE(WaitDropped(false));
    EXPECT_EQ(log_, (Log{"remove all", "list changed", "button done", "freed:a", "freed:b"}));
    log_.clear();
    a = AddElement("a");
    remove = new DeleteButton(log_, [this] { EmptyList({{"new1", 30}, {"new2", 50}}); });
    a->Add(remove);
    ASSERT_TRUE(OpenByClick());
    HWND box = DropBox();
    ClickAt(box, Centre(remove));
    PumpFor(kWaitMs, [this] { return DropBox() && DropBoxHeight() == 80; });
    EXPECT_EQ(log_, (Log{"remove all", "list changed", "button done", "freed:a"}));
    ASSERT_EQ(DropBox(), box) << "the box stays open for the new list";
    EXPECT_EQ(::GetCapture(), nullptr) << "the box does not keep the press's capture";
    EXPECT_EQ(DropBoxHeight(), 80);
    ASSERT_EQ(combo_->GetCount(), 2);
    CControlUI* second = combo_->GetItemAt(1);
    EXPECT_EQ(Where(combo_->GetItemAt(0)) + ", " + Where(second), "box shown, box shown");
    ASSERT_TRUE(combo_->Remove(combo_->GetItemAt(0)));
    PumpFor(kWaitMs, [this] { return DropBoxHeight() == 50; });
    EXPECT_EQ(DropBoxHeight(), 50) << "the box fits the list left";
    PaintNow(box);
    ClickAt(box, Centre(second));
    ASSERT_TRUE(WaitDropped(false));
    EXPECT_EQ(selections_, (Selections{{0, -1}})) << "presses on the buttons were no clicks";
}

}  // namespace
