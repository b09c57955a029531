#include "toolkit/font_table_win.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

void FontTable::Add(int id, const char* faceName, int size, bool bold, bool underline,
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

HFONT FontTable::Get(int id) const {
    auto found = fonts_.find(id);
    if (found != fonts_.end()) return found->second.get();
    return defaultFont_ ? defaultFont_ : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

void FontTable::CopyFrom(const FontTable& other) {
    for (const auto& [id, font] : other.fonts_) {
        LOGFONTA info{};
        if (!::GetObjectA(font.get(), sizeof(info), &info)) continue;
        Add(id, info.lfFaceName, std::abs(info.lfHeight), info.lfWeight >= FW_BOLD,
            info.lfUnderline != 0, font.get() == other.defaultFont_);
    }
}
