#include "launcher/update/update_list.h"

#include <zlib.h>

#include <algorithm>
#include <new>
#include <stdexcept>
#include <unordered_set>
#include <utility>

#include "launcher/update/entry_names.h"
#include "launcher/update/update_files.h"

namespace gatevane {
namespace {

std::uint16_t ReadU16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}

void PutU16(std::vector<std::uint8_t>& out, std::size_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xff));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutText(std::vector<std::uint8_t>& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

// The text of a field starting at `begin`: up to its zero, but never more than `limit` bytes, which
// the caller keeps within both the field and its header or record.
std::string FieldText(const std::uint8_t* begin, std::size_t limit) {
    const std::uint8_t* end = std::find(begin, begin + limit, 0);
    return std::string(begin, end);
}

// A text fit for the error log: a hostile list must not write control characters into it.
std::string Quoted(std::string_view text) {
    static const char kHexDigits[] = "0123456789abcdef";
    std::string quoted = "'";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f || c == '\'') {
            quoted += "\\x";
            quoted += kHexDigits[byte >> 4];
            quoted += kHexDigits[byte & 0x0f];
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

UpdateListResult Refused(std::string reason) {
    return {std::nullopt, "update list: " + reason};
}

std::string RecordText(std::size_t index) {
    return "record " + std::to_string(index + 1);
}

bool IsChecksumText(std::string_view text) {
    return text.size() == kChecksumLength && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

// A checksum as the list may carry it, in either case, in the lower case the launcher computes;
// nothing when it is no MD5 at all.
std::optional<std::string> NormalisedChecksum(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    }
    if (!IsChecksumText(text)) return std::nullopt;
    return text;
}

// The reason two entries of `list` name one file, or nothing.
std::optional<std::string> DuplicateEntry(const UpdateList& list) {
    std::unordered_set<std::string> keys;
    for (const UpdateListEntry& entry : list.entries) {
        if (!keys.insert(EntryKey(ServedEntryName(entry.name))).second) {
            return Quoted(entry.name) + " names a file listed before it";
        }
    }
    return std::nullopt;
}

}  // namespace

UpdateListResult ReadUpdateTable(const std::uint8_t* table, std::size_t size) {
    if (size < kListAddressOffset) {
        return Refused(std::to_string(size) + " bytes are too short for the header");
    }
    const std::size_t headerSize = ReadU16(table);
    if (headerSize < kListAddressOffset || headerSize > kMaxListHeaderSize) {
        return Refused("header size " + std::to_string(headerSize) + " is outside " +
                       std::to_string(kListAddressOffset) + ".." +
                       std::to_string(kMaxListHeaderSize));
    }
    if (headerSize > size) return Refused("the header runs past the data");
    const std::size_t count = ReadU16(table + 2);

    UpdateList list;
    list.address = FieldText(table + kListAddressOffset, headerSize - kListAddressOffset);
    if (list.address.size() > kMaxListAddressLength) {
        return Refused("the address fills its field without an ending zero");
    }

    list.entries.reserve(count);
    std::size_t offset = headerSize;
    for (std::size_t i = 0; i < count; ++i) {
        if (size - offset < 2) return Refused(RecordText(i) + " runs past the data");
        const std::uint8_t* record = table + offset;
        const std::size_t recordSize = ReadU16(record);
        if (recordSize < 2 || recordSize > kMaxRecordSize) {
            return Refused(RecordText(i) + " has size " + std::to_string(recordSize) +
                           ", outside 2.." + std::to_string(kMaxRecordSize));
        }
        if (recordSize > size - offset) return Refused(RecordText(i) + " runs past the data");

        UpdateListEntry entry;
        if (recordSize > kRecordChecksumOffset) {
            entry.checksum =
                FieldText(record + kRecordChecksumOffset,
                          std::min(recordSize - kRecordChecksumOffset, kChecksumLength));
        }
        if (recordSize > kRecordNameOffset) {
            entry.name = FieldText(record + kRecordNameOffset, recordSize - kRecordNameOffset);
        }
        if (entry.name.empty()) return Refused(RecordText(i) + " carries no file name");
        if (entry.name.size() > kMaxEntryNameLength) {
            return Refused("the file name of " + RecordText(i) +
                           " fills its field without an ending zero");
        }
        if (!IsSafeEntryName(entry.name)) {
            return Refused("unsafe file name " + Quoted(entry.name) + " in " + RecordText(i));
        }
        std::optional<std::string> checksum = NormalisedChecksum(std::move(entry.checksum));
        if (!checksum) return Refused("the checksum of " + RecordText(i) + " is no MD5");
        entry.checksum = std::move(*checksum);
        list.entries.push_back(std::move(entry));
        offset += recordSize;
    }
    if (!list.entries.empty() && !IsPlainBaseAddress(list.address)) {
        return Refused("the base address " + Quoted(list.address) + " is not a plain http address");
    }
    if (std::optional<std::string> duplicate = DuplicateEntry(list)) return Refused(*duplicate);
    return {std::move(list), {}};
}

UpdateListResult ReadUpdateList(const std::uint8_t* compressed, std::size_t size) {
    if (size == 0) return Refused("the download is empty");
    if (size > kMaxCompressedListSize) {
        return Refused(std::to_string(size) + " bytes, more than the " +
                       std::to_string(kMaxCompressedListSize) + " taken");
    }
    // Both sizes fit zlib's uLong, 32 bits on Windows, thanks to the cap above.
    std::vector<std::uint8_t> table;
    try {
        table.resize(size * kListExpansionFactor);
    } catch (const std::bad_alloc&) {
        return Refused("out of memory unpacking " + std::to_string(size) + " bytes");
    }
    uLongf tableSize = static_cast<uLongf>(table.size());
    const int status = uncompress(table.data(), &tableSize, compressed, static_cast<uLong>(size));
    if (status == Z_BUF_ERROR) {
        return Refused("zlib data corrupt (unpacks to more than " +
                       std::to_string(kListExpansionFactor) + " times its size)");
    }
    if (status == Z_MEM_ERROR) return Refused("out of memory unpacking");
    if (status != Z_OK) return Refused("zlib data corrupt");
    return ReadUpdateTable(table.data(), tableSize);
}

std::vector<std::uint8_t> EncodeUpdateTable(const UpdateList& list) {
    if (list.address.size() > kMaxListAddressLength) {
        throw std::invalid_argument("update list: the address has " +
                                    std::to_string(list.address.size()) + " bytes, at most " +
                                    std::to_string(kMaxListAddressLength) + " fit");
    }
    if (list.address.find('\0') != std::string::npos) {
        throw std::invalid_argument("update list: the address holds a zero byte");
    }
    if (!list.entries.empty() && !IsPlainBaseAddress(list.address)) {
        throw std::invalid_argument("update list: the base address " + Quoted(list.address) +
                                    " is not a plain http address");
    }
    if (list.entries.size() > kMaxListEntries) {
        throw std::invalid_argument("update list: " + std::to_string(list.entries.size()) +
                                    " entries, at most " + std::to_string(kMaxListEntries) +
                                    " fit");
    }
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        const UpdateListEntry& entry = list.entries[i];
        if (entry.name.size() > kMaxEntryNameLength) {
            throw std::invalid_argument("update list: the file name " + Quoted(entry.name) +
                                        " has " + std::to_string(entry.name.size()) +
                                        " bytes, at most " + std::to_string(kMaxEntryNameLength) +
                                        " fit");
        }
        if (!IsSafeEntryName(entry.name)) {
            throw std::invalid_argument("update list: unsafe file name " + Quoted(entry.name));
        }
        if (!IsChecksumText(entry.checksum)) {
            throw std::invalid_argument("update list: the checksum " + Quoted(entry.checksum) +
                                        " of " + Quoted(entry.name) +
                                        " is not 32 lowercase hexadecimal digits");
        }
    }

    if (std::optional<std::string> duplicate = DuplicateEntry(list)) {
        throw std::invalid_argument("update list: " + *duplicate);
    }

    std::vector<std::uint8_t> table;
    PutU16(table, kListAddressOffset + list.address.size() + 1);
    PutU16(table, list.entries.size());
    PutText(table, list.address);
    for (const UpdateListEntry& entry : list.entries) {
        PutU16(table, kRecordNameOffset + entry.name.size() + 1);
        PutText(table, entry.checksum);
        PutText(table, entry.name);
    }
    return table;
}

std::vector<std::uint8_t> CompressUpdateList(const UpdateList& list) {
    const std::vector<std::uint8_t> table = EncodeUpdateTable(list);
    for (int level = Z_BEST_COMPRESSION; level >= Z_NO_COMPRESSION; --level) {
        uLongf packedSize = compressBound(static_cast<uLong>(table.size()));
        std::vector<std::uint8_t> packed(packedSize);
        if (compress2(packed.data(), &packedSize, table.data(), static_cast<uLong>(table.size()),
                      level) != Z_OK) {
            throw std::bad_alloc();  // the buffer is zlib's bound, so memory is all that can fail
        }
        if (table.size() <= kListExpansionFactor * packedSize) {
            packed.resize(packedSize);
            return packed;
        }
    }
    // Stored blocks are never smaller than the table itself.
    throw std::logic_error("update list: even stored, the table does not fit four times over");
}

}  // namespace gatevane
