#include "launcher/update/entry_names.h"

#include <algorithm>
#include <cstring>

#include "launcher/common/ansi_text.h"

namespace gatevane {
namespace {

bool IsGbkTrailByte(unsigned char c) {
    return c >= 0x40 && c <= 0xfe && c != 0x7f;
}

// Whether a two-byte GBK character starts at `at`. A lead byte without a valid trail byte is taken
// alone, the stricter reading for separators and forbidden characters.
bool DoubleByteAt(std::string_view text, std::size_t at) {
    return IsAnsiLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() &&
           IsGbkTrailByte(static_cast<unsigned char>(text[at + 1]));
}

// CON, PRN, AUX, NUL, COM0..COM9, LPT0..LPT9, CONIN$, CONOUT$: Windows opens the device for any
// name whose part before the first dot, trailing spaces dropped, is one of them.
bool IsDosDeviceName(std::string_view component) {
    std::string base = LowerAnsiText(component.substr(0, component.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (const char* device : {"con", "prn", "aux", "nul", "conin$", "conout$"}) {
        if (base == device) return true;
    }
    return base.size() == 4 && (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0) &&
           base[3] >= '0' && base[3] <= '9';
}

bool IsSafeComponent(std::string_view component) {
    if (component.empty()) return false;
    if (component.back() == '.' || component.back() == ' ') return false;
    return !IsDosDeviceName(component);
}

bool IsForbiddenByte(unsigned char byte) {
    return byte < 0x20 || byte == 0x7f || std::strchr(":*?\"<>|", byte) != nullptr;
}

// The GBK rows whose letters Windows folds: full-width Latin (row A3), Greek (A6), Cyrillic (A7).
// Each maps its lower-case run onto its upper-case run.
struct FoldedRun {
    unsigned char lead;
    unsigned char lowerFirst;
    unsigned char lowerLast;
    unsigned char upperFirst;
};
constexpr FoldedRun kFoldedRuns[] = {
    {0xA3, 0xE1, 0xFA, 0xC1},  // ａ..ｚ -> Ａ..Ｚ
    {0xA6, 0xC1, 0xD8, 0xA1},  // α..ω -> Α..Ω
    {0xA7, 0xD1, 0xF1, 0xA1},  // а..я -> А..Я
};

unsigned char FoldedTrail(unsigned char lead, unsigned char trail) {
    for (const FoldedRun& run : kFoldedRuns) {
        if (lead == run.lead && trail >= run.lowerFirst && trail <= run.lowerLast) {
            return static_cast<unsigned char>(trail - run.lowerFirst + run.upperFirst);
        }
    }
    return trail;
}

}  // namespace

bool IsSafeEntryName(std::string_view name) {
    std::size_t componentStart = 0;
    bool first = true;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || name[i] == '/' || name[i] == '\\') {
            const std::string_view component = name.substr(componentStart, i - componentStart);
            if (!IsSafeComponent(component)) return false;
            if (first && EqualIgnoringCase(component, kDownloadFolderName)) return false;
            first = false;
            componentStart = i + 1;
        } else if (DoubleByteAt(name, i)) {
            ++i;
        } else if (IsForbiddenByte(static_cast<unsigned char>(name[i]))) {
            return false;
        }
    }
    return true;
}

bool IsLauncherEntry(std::string_view name) {
    return EqualIgnoringCase(name, kLauncherFileName);
}

std::string ServedEntryName(std::string_view name) {
    return std::string(IsLauncherEntry(name) ? kPublishedLauncherName : name);
}

std::string EntryKey(std::string_view name) {
    std::string key;
    key.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (DoubleByteAt(name, i)) {
            key += name[i];
            key += static_cast<char>(FoldedTrail(byte, static_cast<unsigned char>(name[i + 1])));
            ++i;
        } else if (byte == '\\') {
            key += '/';
        } else {
            key += static_cast<char>(byte >= 'a' && byte <= 'z' ? byte - 'a' + 'A' : byte);
        }
    }
    return key;
}

}  // namespace gatevane
