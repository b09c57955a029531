#include "launcher/login/accounts_item_win.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

namespace gatevane {
namespace {

// Paths from the program folder: the toolkit looks for skin files there too.
constexpr char kFaceStrip[] = "TesselRes//Lobby//BIG_FACE.bmp";
constexpr char kDeleteImage[] = "TesselRes//Skin//Login//delete.png";
constexpr int kFaceSize = 45;
// The delete picture holds the normal and the hot state side by side.
constexpr int kDeleteWidth = 17;
constexpr int kDeleteHeight = 15;

// The new child of `parent`, which owns it; null if it was refused.
template <typename Control>
Control* AddChild(CContainerUI* parent) {
    auto child = std::make_unique<Control>();
    Control* control = child.get();
    return parent && parent->Add(std::move(child)) ? control : nullptr;
}

std::string FaceImage(int face) {
    char image[96];
    std::snprintf(image, sizeof image, "file='%s' source='%d,0,%d,%d'", kFaceStrip,
                  kFaceSize * face, kFaceSize * face + kFaceSize, kFaceSize);
    return image;
}

std::string DeleteImage(int left) {
    char image[96];
    std::snprintf(image, sizeof image, "file='%s' source='%d,0,%d,%d'", kDeleteImage, left,
                  left + kDeleteWidth, kDeleteHeight);
    return image;
}

// A column of the item's row; width 0 takes what the fixed columns leave.
CVerticalLayoutUI* AddColumn(CContainerUI* row, int width) {
    auto* column = AddChild<CVerticalLayoutUI>(row);
    if (column && width > 0) column->SetFixedWidth(width);
    return column;
}

// The face picture, which lets the mouse through to the item.
CButtonUI* AddFaceButton(CContainerUI* column) {
    auto* face = AddChild<CButtonUI>(column);
    if (!face) return nullptr;
    face->SetFixedWidth(kFaceSize);
    face->SetFixedHeight(kFaceSize);
    face->SetAttribute("mouse", "false");
    face->SetBkImage(FaceImage(0).c_str());
    face->SetBorderSize(1);
    face->SetBorderColor(0xFFCFD3CC);
    return face;
}

CTextUI* AddText(CContainerUI* column, const char* padding) {
    auto* text = AddChild<CTextUI>(column);
    if (text) text->SetAttribute("textpadding", padding);
    return text;
}

// Hidden until the pointer is over the item.
CButtonUI* AddDeleteButton(CContainerUI* column) {
    auto* button = AddChild<CButtonUI>(column);
    if (!button) return nullptr;
    button->SetName("btDelAccount");
    button->SetToolTip("删除");
    button->SetFixedHeight(kDeleteHeight);
    button->SetFixedWidth(kDeleteWidth);
    button->SetAttribute("padding", "0,15,0,0");
    button->SetNormalImage(DeleteImage(0).c_str());
    button->SetHotImage(DeleteImage(kDeleteWidth).c_str());
    button->SetVisible(false);
    return button;
}

}  // namespace

AccountsItemUI::AccountsItemUI(AccountDeleteTarget* owner) : owner_(owner) {
    auto* row = AddChild<CHorizontalLayoutUI>(this);
    faceButton_ = AddFaceButton(AddColumn(row, 48));
    auto* texts = AddChild<CVerticalLayoutUI>(AddColumn(row, 0));
    nameText_ = AddText(texts, "0,12,0,0");
    if (nameText_) nameText_->SetAttribute("endellipsis", "true");
    gameText_ = AddText(texts, "0,10,0,0");
    deleteButton_ = AddDeleteButton(AddColumn(row, 30));
    if (deleteButton_) deleteButton_->OnEvent += MakeDelegate(this, &AccountsItemUI::OnDeleteEvent);
}

const char* AccountsItemUI::GetClass() const {
    return "AccountsItemUI";
}

void* AccountsItemUI::GetInterface(const char* name) {
    return std::strcmp(name, "AccountsItem") == 0 ? this
                                                  : CListContainerElementUI::GetInterface(name);
}

void AccountsItemUI::DoEvent(TEventUI& event) {
    const bool mouseEvent = event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND;
    if (mouseEvent && !IsMouseEnabled()) {
        CListContainerElementUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
        case UIEVENT_MOUSEMOVE:
            break;
        case UIEVENT_MOUSEENTER:
            if (IsEnabled()) ShowDeleteButton(true);
            break;
        case UIEVENT_MOUSELEAVE:
            if (IsHot()) ShowDeleteButton(false);
            break;
        default:
            CListContainerElementUI::DoEvent(event);
    }
}

void AccountsItemUI::ShowDeleteButton(bool show) {
    SetHot(show);  // redraws the item
    if (deleteButton_) deleteButton_->SetVisible(show);
}

void AccountsItemUI::SetAccountText(const char* text) {
    if (nameText_) nameText_->SetText(text);
}

void AccountsItemUI::SetGameIdText(const char* text) {
    if (gameText_) gameText_->SetText(text);
}

void AccountsItemUI::SetUserId(std::int32_t userId) {
    if (deleteButton_) deleteButton_->SetTag(static_cast<UINT_PTR>(userId));
}

void AccountsItemUI::SetFace(std::int32_t face) {
    const auto number = static_cast<std::uint32_t>(face);
    if (number < 1 || number > kLastFace || !faceButton_) return;
    faceButton_->SetBkImage(FaceImage(static_cast<int>(number)).c_str());
}

bool AccountsItemUI::OnDeleteEvent(void* param) {
    auto* event = static_cast<TEventUI*>(param);
    if (event->Type == UIEVENT_BUTTONDOWN && event->pSender && owner_) {
        owner_->DeleteAccount(*event);
    }
    return true;
}

}  // namespace gatevane
