// Fuzzes the update list reader with what a hostile update server could send, both as a download
// and as an unpacked table. Whatever the input, nothing is read out of bounds, a result is either a
// list or a reason, every accepted name is safe and fits its field, and every accepted list whose
// checksums are well formed is written back by the builder and read back the same.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "launcher/update/entry_names.h"
#include "launcher/update/update_list.h"

namespace {

bool HasZeroByte(const std::string& text) {
    return text.find('\0') != std::string::npos;
}

bool IsChecksumText(const std::string& text) {
    if (text.size() != gatevane::kChecksumLength) return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

void Check(const gatevane::UpdateListResult& result) {
    if (!result.list) {
        if (result.reason.rfind("update list: ", 0) != 0) __builtin_trap();
        return;
    }
    if (!result.reason.empty()) __builtin_trap();
    const gatevane::UpdateList& list = *result.list;
    if (list.address.size() > gatevane::kMaxListAddressLength || HasZeroByte(list.address)) {
        __builtin_trap();
    }
    if (list.entries.size() > gatevane::kMaxListEntries) __builtin_trap();
    bool writable = true;
    for (const gatevane::UpdateListEntry& entry : list.entries) {
        if (!gatevane::IsSafeEntryName(entry.name)) __builtin_trap();
        if (entry.name.size() > gatevane::kMaxEntryNameLength || HasZeroByte(entry.name)) {
            __builtin_trap();
        }
        if (entry.checksum.size() > gatevane::kChecksumLength || HasZeroByte(entry.checksum)) {
            __builtin_trap();
        }
        writable = writable && IsChecksumText(entry.checksum);
    }

    if (!writable) {
        try {
            gatevane::EncodeUpdateTable(list);
        } catch (const std::invalid_argument&) {
            return;
        }
        __builtin_trap();  // the builder wrote a checksum the launcher could never match
    }
    const std::vector<std::uint8_t> table = gatevane::EncodeUpdateTable(list);
    const gatevane::UpdateListResult reread = gatevane::ReadUpdateTable(table.data(), table.size());
    if (!reread.list || *reread.list != list) __builtin_trap();
    const std::vector<std::uint8_t> packed = gatevane::CompressUpdateList(list);
    const gatevane::UpdateListResult unpacked =
        gatevane::ReadUpdateList(packed.data(), packed.size());
    if (!unpacked.list || *unpacked.list != list) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Check(gatevane::ReadUpdateTable(data, size));
    Check(gatevane::ReadUpdateList(data, size));
    return 0;
}
