#pragma once
// One remembered account in the login window's drop-down list "Account": the user's face, the
// account name with the game number under it, and a small delete button that shows only while
// the pointer is over the item. A press on the delete button (not the release) asks the owner to
// delete the account at once; the owner empties and refills the list from inside that press,
// which the list survives because it frees removed items only once the press's dispatch is over.
//
//   item
//   └ row (horizontal)
//     ├ face column, 48 wide:  face button 45x45, mouse-transparent, bordered
//     ├ text column:           name text (ends in "..." when too long), game number text
//     └ delete column, 30 wide: delete button "btDelAccount" 17x15, tagged with the user id

#include <cstdint>

#include "toolkit/button_win.h"
#include "toolkit/label_win.h"
#include "toolkit/list_element_win.h"

namespace gatevane {

// Who deletes accounts (the login window).
class AccountDeleteTarget {
public:
    // event.pSender is the delete button; its tag is the user id.
    virtual void DeleteAccount(TEventUI& event) = 0;

protected:
    ~AccountDeleteTarget() = default;
};

class AccountsItemUI final : public CListContainerElementUI {
public:
    // Faces 1..kLastFace of the strip can be chosen; any other number shows the default face 0.
    static constexpr std::uint32_t kLastFace = 64;

    // `owner` may be null: presses on the delete button then do nothing.
    explicit AccountsItemUI(AccountDeleteTarget* owner);

    const char* GetClass() const override;
    // Itself for "AccountsItem".
    void* GetInterface(const char* name) override;
    void DoEvent(TEventUI& event) override;

    void SetAccountText(const char* text);
    void SetGameIdText(const char* text);
    // The delete button's tag; static_cast<std::int32_t>(tag) gives the id back.
    void SetUserId(std::int32_t userId);
    void SetFace(std::int32_t face);

private:
    bool OnDeleteEvent(void* param);
    void ShowDeleteButton(bool show);

    AccountDeleteTarget* owner_;
    // Children of the item's tree, which owns them.
    CTextUI* nameText_ = nullptr;
    CTextUI* gameText_ = nullptr;
    CButtonUI* deleteButton_ = nullptr;
    CButtonUI* faceButton_ = nullptr;
};

}  // namespace gatevane
