#pragma once
// The update list ("Update.txt") the launcher downloads from the update server, its reader and its
// builder. The download is one zlib stream; unpacked, it is a packed little-endian table:
//
//   header  offset 0    u16        size: the header's own length, 4..264; records start there
//           offset 2    u16        count: the number of records
//           offset 4    260 bytes  address: the files' base address (an http URL), zero-ended
//   record  offset 0    u16        size: the record's own length, 2..164; the next one starts
//                                  that far on
//           offset 2    33 bytes   checksum: the file's MD5, 32 lowercase hex digits and a zero
//           offset 35   129 bytes  name: the file's path relative to the program folder, '/' or
//                                  '\' between folders, GBK, zero-ended
//
// Bytes of a header or record beyond its size read as zero, so a short record carries a cut
// checksum or name. Everything here is untrusted: a refusal says why in one line for the error log,
// and one bad record refuses the whole list, so the launcher never acts on half a list.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gatevane {

constexpr std::size_t kListAddressOffset = 4;
constexpr std::size_t kListAddressField = 260;
constexpr std::size_t kMaxListHeaderSize = kListAddressOffset + kListAddressField;  // 264

constexpr std::size_t kRecordChecksumOffset = 2;
constexpr std::size_t kRecordChecksumField = 33;
constexpr std::size_t kRecordNameOffset = kRecordChecksumOffset + kRecordChecksumField;  // 35
constexpr std::size_t kRecordNameField = 129;
constexpr std::size_t kMaxRecordSize = kRecordNameOffset + kRecordNameField;  // 164

// Each text field keeps a byte for its zero, so these are the longest texts a list carries.
constexpr std::size_t kMaxListAddressLength = kListAddressField - 1;  // 259
constexpr std::size_t kMaxEntryNameLength = kRecordNameField - 1;     // 128
constexpr std::size_t kChecksumLength = kRecordChecksumField - 1;     // 32

// The record count is a u16.
constexpr std::size_t kMaxListEntries = 65535;

// The launcher unpacks into a buffer of this many times the compressed size; a list that unpacks
// to more is corrupt.
constexpr std::size_t kListExpansionFactor = 4;

// The largest download taken for a list. The biggest table the format can describe (65535 records
// of 164 bytes) is about 10.3 MiB even stored without compression, and real halls' lists are a few
// hundred KiB at most; 16 MiB admits every list the builder can write while bounding what a hostile
// server makes the launcher allocate (four times this for the unpacked table).
constexpr std::size_t kMaxCompressedListSize = 16 * 1024 * 1024;

struct UpdateListEntry {
    std::string name;      // relative to the program folder; always passes IsSafeEntryName
    std::string checksum;  // 32 lowercase hexadecimal digits
};

struct UpdateList {
    std::string address;
    std::vector<UpdateListEntry> entries;
};

inline bool operator==(const UpdateListEntry& a, const UpdateListEntry& b) {
    return a.name == b.name && a.checksum == b.checksum;
}
inline bool operator!=(const UpdateListEntry& a, const UpdateListEntry& b) {
    return !(a == b);
}
inline bool operator==(const UpdateList& a, const UpdateList& b) {
    return a.address == b.address && a.entries == b.entries;
}
inline bool operator!=(const UpdateList& a, const UpdateList& b) {
    return !(a == b);
}

// Either a list, or no list and a one-line English reason for the error log, such as
// "update list: record 3 runs past the data". Records are counted from 1.
struct UpdateListResult {
    std::optional<UpdateList> list;
    std::string reason;
};

// Reads a downloaded list: refuses an empty download or one over kMaxCompressedListSize, unpacks
// it into four times its size (any zlib error, an unpacked table that would not fit included,
// refuses it as corrupt), then reads the table. Bytes after the end of the zlib stream are ignored.
UpdateListResult ReadUpdateList(const std::uint8_t* compressed, std::size_t size);

// Reads an unpacked table. Every size is checked against its bounds and the data; texts are read up
// to their zero, the end of their field or the end of their header or record, never past. The
// whole list is refused for a name or address that fills its whole field without a zero, a name
// that fails IsSafeEntryName, two names of one file (EntryKey of their served names: the launcher
// "Quarnel.exe" and "Quarnel.dll" are one file on the server), a checksum other than 32
// hexadecimal digits (read in either case, kept in lower case), or, when there are entries, a base
// address that is not IsPlainBaseAddress (update_files.h). Bytes after the last record are ignored.
UpdateListResult ReadUpdateTable(const std::uint8_t* table, std::size_t size);

// Writes the table of `list` with the smallest header and records that carry its texts. Throws
// std::invalid_argument, naming the culprit, for what the launcher would refuse or could not read
// back as given: an address longer than 259 bytes or not plain, more than 65535 entries, a name
// longer than 128 bytes, not safe or naming the same file as another, or a checksum other than 32
// lowercase hexadecimal digits.
std::vector<std::uint8_t> EncodeUpdateTable(const UpdateList& list);

// The download the launcher reads back as `list`: the table packed by zlib at the best level that
// still unpacks within four times its packed size (very alike names can pack tighter than that;
// level 0, stored, always fits). Throws as EncodeUpdateTable does.
std::vector<std::uint8_t> CompressUpdateList(const UpdateList& list);

}  // namespace gatevane
