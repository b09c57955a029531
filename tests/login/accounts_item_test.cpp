// The remembered accounts' drop-down item in a real toolkit window: its face, its delete button
// that shows while the pointer is over it, and the press that deletes the account, during which
// the owner empties the list the item lies in, as the login window does.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "launcher/login/accounts_item_win.h"
#include "tests/toolkit/skin_test_window.h"
#include "toolkit/combo_win.h"

namespace gatevane {
namespace {

using Log = std::vector<std::string>;

constexpr const char* kSkin = R"(<Window size="300,200"><VerticalLayout inset="10,10,10,10">
  <Combo name="Account" height="30" width="200"/>
</VerticalLayout></Window>)";

// The login window as the items see it: it deletes the account and empties the list.
class EmptyingOwner final : public AccountDeleteTarget {
public:
    EmptyingOwner(Log& log, CComboUI*& list) : log_(log), list_(list) {}
    void DeleteAccount(TEventUI& event) override {
        log_.push_back("delete " + std::to_string(static_cast<int>(event.pSender->GetTag())));
        list_->RemoveAll();
        log_.push_back("list emptied");
    }

private:
    Log& log_;
    CComboUI*& list_;
};

// A control an item frees with itself, to see when that happens.
class FreedProbe final : public CControlUI {
public:
    explicit FreedProbe(Log& log) : log_(log) {}
    ~FreedProbe() override { log_.push_back("item freed"); }

private:
    Log& log_;
};

// The item's tree: a row of the face column, the text column and the delete column.
CButtonUI* FaceButton(CControlUI& item) {
    return static_cast<CButtonUI*>(item.GetChildAt(0)->GetChildAt(0)->GetChildAt(0));
}
CButtonUI* DeleteButton(CControlUI& item) {
    return static_cast<CButtonUI*>(item.GetChildAt(0)->GetChildAt(2)->GetChildAt(0));
}

class AccountsItemTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = std::make_unique<SkinTestWindow>(kSkin);
        combo_ = window_->Find<CComboUI>("Account");
        ASSERT_NE(combo_, nullptr);
    }
    // As the login window adds one.
    AccountsItemUI* AddItem(std::int32_t userId, AccountDeleteTarget* owner) {
        auto* item = new AccountsItemUI(owner);
        item->SetFixedHeight(48);
        item->SetFixedWidth(200);
        item->SetUserId(userId);
        EXPECT_TRUE(combo_->Add(item));
        return item;
    }
    void Send(CControlUI* control, int type) {
        window_->manager().SendEvent(control, type, POINT{});
    }

    Log log_;
    std::unique_ptr<SkinTestWindow> window_;
    CComboUI* combo_ = nullptr;
    EmptyingOwner owner_{log_, combo_};
};

// Faces 1 to 64 come from the strip; any other number keeps the default face 0. Both pictures
// the item names are found from the skin folder, and decode.
TEST_F(AccountsItemTest, TheFaceNumberPicksAFaceOfTheStripFromOneTo64) {
    const std::pair<std::int32_t, const char*> faces[] = {{0, "0,0,45,45"},
                                                          {1, "45,0,90,45"},
                                                          {64, "2880,0,2925,45"},
                                                          {65, "0,0,45,45"},
                                                          {-1, "0,0,45,45"}};
    for (const auto& [face, source] : faces) {
        AccountsItemUI item(nullptr);
        item.SetFace(face);
        EXPECT_EQ(FaceButton(item)->GetBkImage().str(),
                  std::string("file='TesselRes//Lobby//BIG_FACE.bmp' source='") + source + "'")
            << face;
    }
    for (auto [file, width] : {std::pair{"TesselRes//Lobby//BIG_FACE.bmp", 2925},
                               std::pair{"TesselRes//Skin//Login//delete.png", 34}}) {
        const LoadedImage* image = window_->manager().Images().Get(file, std::nullopt);
        ASSERT_NE(image, nullptr) << file;
        EXPECT_GE(image->width, width) << file;
    }
}

TEST_F(AccountsItemTest, TheDeleteButtonShowsWhileThePointerIsOverAnEnabledItem) {
    AccountsItemUI* item = AddItem(1001, &owner_);
    item->SetAccountText("alice");
    item->SetGameIdText("10086");
    EXPECT_EQ(item->GetText(), "alice 10086") << "the shown texts, the delete button hidden";
    auto shown = [item] { return std::pair{DeleteButton(*item)->IsOwnVisible(), item->IsHot()}; };

    Send(item, UIEVENT_MOUSEENTER);
    EXPECT_EQ(shown(), std::pair(true, true));
    Send(item, UIEVENT_MOUSEMOVE);
    EXPECT_EQ(shown(), std::pair(true, true));
    Send(item, UIEVENT_MOUSELEAVE);
    EXPECT_EQ(shown(), std::pair(false, false));
    item->SetEnabled(false);
    Send(item, UIEVENT_MOUSEENTER);
    EXPECT_EQ(shown(), std::pair(false, false));
}

// The owner deletes at the press, not at the release, and empties the list from inside it: the
// item is freed only once the press's dispatch is over.
TEST_F(AccountsItemTest, APressOnTheDeleteButtonDeletesAndTheItemOutlivesThePress) {
    AccountsItemUI* orphan = AddItem(2002, nullptr);
    AccountsItemUI* item = AddItem(1001, &owner_);
    item->Add(new FreedProbe(log_));
    for (AccountsItemUI* hovered : {orphan, item}) Send(hovered, UIEVENT_MOUSEENTER);

    Send(DeleteButton(*orphan), UIEVENT_BUTTONDOWN);
    Send(DeleteButton(*item), UIEVENT_BUTTONUP);
    EXPECT_TRUE(log_.empty()) << "no owner, or only a release";
    Send(DeleteButton(*item), UIEVENT_BUTTONDOWN);
    EXPECT_EQ(log_, (Log{"delete 1001", "list emptied", "item freed"}));
    EXPECT_EQ(combo_->GetCount(), 0);
}

}  // namespace
}  // namespace gatevane
