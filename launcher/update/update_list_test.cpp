#include "launcher/update/update_list.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace gatevane {

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::string_literals;

const std::string kSumA = "0123456789abcdef0123456789abcdef";
const std::string kSumB = "d41d8cd98f00b204e9800998ecf8427e";

void Append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

// A header or record laid out byte by byte, so cases can write what the builder never writes: the
// declared `size` first, then each text at its offset (zero-padded), cut or padded to `size`.
Bytes Part(std::uint16_t size, const std::vector<std::pair<std::size_t, std::string>>& texts) {
    Bytes part(std::max<std::size_t>(size, kMaxListHeaderSize), 0);
    part[0] = static_cast<std::uint8_t>(size & 0xff);
    part[1] = static_cast<std::uint8_t>(size >> 8);
    for (const auto& [offset, text] : texts) std::copy(text.begin(), text.end(), &part[offset]);
    part.resize(size);
    return part;
}

Bytes Header(std::uint16_t size, std::uint16_t count, const std::string& address) {
    const std::string countBytes = {static_cast<char>(count & 0xff), static_cast<char>(count >> 8)};
    return Part(size, {{2, countBytes}, {kListAddressOffset, address}});
}

Bytes Record(std::uint16_t size, const std::string& checksum, const std::string& name) {
    return Part(size, {{kRecordChecksumOffset, checksum}, {kRecordNameOffset, name}});
}

Bytes Table(const Bytes& header, const std::vector<Bytes>& records) {
    Bytes table = header;
    for (const Bytes& record : records) Append(table, record);
    return table;
}

std::string Shown(const UpdateList& list) {
    std::string shown = list.address;
    for (const UpdateListEntry& entry : list.entries)
        shown += " " + entry.name + "=" + entry.checksum;
    return shown;
}

// What a reader made of its bytes: the list it read, or the reason it refused them.
std::string Shown(const UpdateListResult& result) {
    return result.reason + (result.list ? Shown(*result.list) : "");
}

std::string Read(const Bytes& table) {
    return Shown(ReadUpdateTable(table.data(), table.size()));
}

Bytes Packed(const Bytes& table) {
    uLongf size = compressBound(static_cast<uLong>(table.size()));
    Bytes packed(size);
    EXPECT_EQ(compress2(packed.data(), &size, table.data(), static_cast<uLong>(table.size()),
                        Z_BEST_COMPRESSION),
              Z_OK);
    packed.resize(size);
    return packed;
}

std::string Unpack(const Bytes& packed) {
    return Shown(ReadUpdateList(packed.data(), packed.size()));
}

UpdateList SampleList() {
    return {"http://update.velmora.cn/Update/New/",
            {{"Quarnel.exe", kSumA}, {"data/maps/1.map", kSumB}, {"skin\\运动\\錦.png", kSumA}}};
}

// Every layout the format allows: texts end at their zero or at the size of their header or
// record (the next part's size field, 0x24 '$', is not read into them), junk after a zero inside
// the declared sizes is skipped, checksums come in either case and are kept in lower case, and
// bytes after the counted records are never read.
TEST(ReadUpdateTable, ReadsEachPartWhereTheSizeBeforeItSaysAndRefusesWithItsReason) {
    Bytes junkHeader = Header(40, 2, "http://a/");
    junkHeader[30] = 'J';
    Bytes junkRecord = Record(100, kSumA, "one.txt");
    junkRecord[90] = 'J';
    Bytes trailing = Table(Header(14, 1, "http://a/"), {Record(40, kSumA, "kept")});
    Append(trailing, {0, 0});
    Append(trailing, Record(50, kSumB, "../escape"));
    Append(trailing, {0xff, 0xff, 0x01});
    const std::string longAddress = "http://a/" + std::string(kMaxListAddressLength - 9, 'h');
    const std::string longName(kMaxEntryNameLength, 'n');
    const std::pair<Bytes, UpdateList> cases[] = {
        {Table(Header(264, 3, "http://a.cn/up/"),
               {Record(164, kSumA, "Quarnel.exe"), Record(41, kSumB, "a.dll"),
                Record(60, kSumA, "data\\b.bin")}),
         {"http://a.cn/up/", {{"Quarnel.exe", kSumA}, {"a.dll", kSumB}, {"data\\b.bin", kSumA}}}},
        {Table(junkHeader, {junkRecord, Record(50, kSumB, "two.txt")}),
         {"http://a/", {{"one.txt", kSumA}, {"two.txt", kSumB}}}},
        {Table(Header(14, 2, "http://a/b"), {Record(36, kSumA, "a"), Record(36, kSumB, "b")}),
         {"http://a/b", {{"a", kSumA}, {"b", kSumB}}}},
        {Table(Header(14, 2, "http://a/"), {Record(164, kSumA + "9", "33rd-byte-ignored"),
                                            Record(60, "0123456789ABCDEF0123456789ABCDEF", "up")}),
         {"http://a/", {{"33rd-byte-ignored", kSumA}, {"up", kSumA}}}},
        {Table(Header(264, 1, longAddress), {Record(164, kSumA, longName)}),
         {longAddress, {{longName, kSumA}}}},
        {trailing, {"http://a/", {{"kept", kSumA}}}},
        // An empty list needs no plain address: no file is fetched from it.
        {Header(10, 0, "http:/"), {"http:/", {}}},
    };
    for (const auto& [table, expected] : cases) EXPECT_EQ(Read(table), Shown(expected));

    // Each refusal names its reason, for the update error log; one bad part refuses the whole list.
    const Bytes header = Header(14, 2, "http://a/");
    const Bytes good = Record(40, kSumA, "good");
    Bytes cutHeader = Header(20, 0, "http://a/");
    cutHeader.pop_back();
    Bytes cutRecord = Record(40, kSumB, "cut");
    cutRecord.pop_back();
    const auto one = [](const std::string& checksum, const std::string& name) {
        return Table(Header(14, 1, "http://a/"), {Record(60, checksum, name)});
    };
    const auto two = [&header](const Bytes& first, const Bytes& second) {
        return Table(header, {first, second});
    };
    std::vector<std::pair<Bytes, std::string>> refusals = {
        {{8, 0, 0}, "3 bytes are too short for the header"},
        {Table(Header(3, 0, ""), {{0}}), "header size 3 is outside 4..264"},
        {Header(265, 0, "x"), "header size 265 is outside 4..264"},
        {cutHeader, "the header runs past the data"},
        {Header(264, 0, std::string(kListAddressField, 'h')),
         "the address fills its field without an ending zero"},
        {Table(header, {good}), "record 2 runs past the data"},
        {two(good, cutRecord), "record 2 runs past the data"},
        {two({1, 0}, good), "record 1 has size 1, outside 2..164"},
        {two(good, Record(165, kSumB, "big")), "record 2 has size 165, outside 2..164"},
        // Sizes 2..35 end before the name field; a zero there carries none either.
        {two(good, Record(35, kSumA, "x")), "record 2 carries no file name"},
        {two(good, Record(40, kSumA, "")), "record 2 carries no file name"},
        {two(Record(164, kSumA, std::string(kRecordNameField, 'n')), good),
         "the file name of record 1 fills its field without an ending zero"},
        {Table(Header(14, 3, "http://a/"),
               {Record(40, kSumA, "a.dll"), Record(40, kSumA, "b.dll"), Record(50, kSumA, "../x")}),
         "unsafe file name '../x' in record 3"},
        // Control characters and quotes reach the log as escapes.
        {one(kSumA, "a\nb'c"), "unsafe file name 'a\\x0ab\\x27c' in record 1"},
        {one("ABCDEF", "junk"), "the checksum of record 1 is no MD5"},
        {one(std::string(31, '0') + "g", "junk"), "the checksum of record 1 is no MD5"},
        {two(Record(60, kSumA, "sub\\x.dat"), Record(60, kSumB, "SUB/X.DAT")),
         "'SUB/X.DAT' names a file listed before it"},
        {two(Record(60, kSumA, "Quarnel.exe"), Record(60, kSumB, "quarnel.dll")),
         "'quarnel.dll' names a file listed before it"},
    };
    for (const char* address : {"", "http://h/x\\..\\..\\Windows"}) {
        refusals.push_back(
            {Table(Header(kMaxListHeaderSize, 1, address), {Record(40, kSumA, "a")}),
             std::string("the base address '") + address + "' is not a plain http address"});
    }
    EXPECT_EQ(Shown(ReadUpdateTable(nullptr, 0)),
              "update list: 0 bytes are too short for the header");
    for (const auto& [table, reason] : refusals) EXPECT_EQ(Read(table), "update list: " + reason);
}

TEST(UpdateListBuilder, WritesTheSmallestListThatReadsBackIdenticallyAndRefusesAnyOther) {
    // Sizes 14, 41 and 40 (little-endian), the count, then texts with their ending zeros.
    const std::string expected =
        "\x0e\0\x02\0http://a/\0\x29\0"s + kSumB + "\0a.dll\0\x28\0"s + kSumA + "\0運/b\0"s;
    EXPECT_EQ(EncodeUpdateTable({"http://a/", {{"a.dll", kSumB}, {"運/b", kSumA}}}),
              Bytes(expected.begin(), expected.end()));

    const UpdateList lists[] = {
        SampleList(),
        {"http://a/" + std::string(kMaxListAddressLength - 9, 'h'),
         {{std::string(kMaxEntryNameLength, 'n'), kSumB}}},
        {"http://b/", {{"\x81\x5c.png", kSumA}, {"\x81\x7c.png", kSumA}}},
    };
    for (const UpdateList& list : lists) {
        EXPECT_EQ(Read(EncodeUpdateTable(list)), Shown(list));
        EXPECT_EQ(Unpack(CompressUpdateList(list)), Shown(list));
    }
    const auto refused = [](const UpdateList& list) {
        EXPECT_THROW(EncodeUpdateTable(list), std::invalid_argument);
        EXPECT_THROW(CompressUpdateList(list), std::invalid_argument);
    };
    refused({std::string(kListAddressField, 'h'), {}});
    refused({std::string("http://a\0b/", 11), {}});
    refused({"http://a/", {{std::string(kRecordNameField, 'n'), kSumA}}});
    refused({"x", {{"ok", kSumA}}});
    refused({"http://a/", {{"ok", kSumA}, {"OK", kSumA}}});
    for (const std::string& checksum :
         {kSumA.substr(1), kSumA + "0", std::string(32, 'A'),
          std::string(16, '0') + std::string(1, '\0') + "0123456789abcde"}) {
        refused({"http://a/", {{"ok", checksum}}});
    }
    refused({"http://a/", {{"a", kSumA}, {"sub/../../evil.dll", kSumA}}});
    UpdateList longest{"http://a/", {}};
    for (std::size_t i = 0; i < kMaxListEntries; ++i) {
        longest.entries.push_back({"f" + std::to_string(i), kSumA});
    }
    EXPECT_EQ(Unpack(CompressUpdateList(longest)), Shown(longest));
    longest.entries.push_back({"one-too-many", kSumA});
    EXPECT_THROW(EncodeUpdateTable(longest), std::invalid_argument);
    // Long, alike names with one checksum pack far tighter than 4:1 at the best level.
    UpdateList list{"http://a/", {}};
    const std::string folder = "images/interface/buttons/normal/state/" + std::string(60, 'x');
    for (int i = 0; i < 3000; ++i) list.entries.push_back({folder + std::to_string(i), kSumA});
    const Bytes table = EncodeUpdateTable(list);
    ASSERT_GT(table.size(), kListExpansionFactor * Packed(table).size());

    const Bytes packed = CompressUpdateList(list);
    EXPECT_LE(table.size(), kListExpansionFactor * packed.size());
    EXPECT_EQ(Unpack(packed), Shown(list));
}

// The table inside the zlib stream, bytes after the stream ignored; anything that is not a whole
// zlib stream of at most 16 MiB is refused before any table is read.
TEST(ReadUpdateList, ReadsTheTableInsideTheZlibStreamOfUpToAQuarterItsSizeAndRefusesAnythingElse) {
    Bytes table = Table(Header(14, 1, "http://a/"), {Record(40, kSumA, "a.dll")});
    Bytes trailing = Packed(table);
    Append(trailing, {0xde, 0xad, 0xbe, 0xef});
    EXPECT_EQ(Unpack(trailing), "http://a/ a.dll=" + kSumA);

    const Bytes packed = CompressUpdateList(SampleList());
    Bytes flipped = packed;
    flipped[flipped.size() - 2] ^= 0x01;  // the Adler-32 no longer matches
    Bytes huge(kMaxCompressedListSize + 1, 0x78);
    const std::pair<Bytes, std::string> cases[] = {
        {Packed(Table(Header(14, 1, "http://a/"), {Record(50, kSumA, "a/../../b")})),
         "unsafe file name 'a/../../b' in record 1"},
        {Packed({}), "0 bytes are too short for the header"},
        {huge, "16777217 bytes, more than the 16777216 taken"},
        {Bytes(huge.begin(), huge.end() - 1), "zlib data corrupt"},
        {EncodeUpdateTable(SampleList()), "zlib data corrupt"},  // an unpacked table is no list
        {flipped, "zlib data corrupt"},
        {Bytes(packed.begin(), packed.end() - 1), "zlib data corrupt"},
    };
    EXPECT_EQ(Shown(ReadUpdateList(nullptr, 0)), "update list: the download is empty");
    for (const auto& [bytes, reason] : cases) {
        EXPECT_EQ(Unpack(bytes), "update list: " + reason) << bytes.size() << " bytes";
    }
    // Trailing zeros after a table are allowed but pack to next to nothing; bytes after the stream
    // make the download up to the size that just holds it.
    table.resize(4000, 0);
    Bytes download = Packed(table);
    download.resize(table.size() / kListExpansionFactor, 0xee);
    EXPECT_EQ(Unpack(download), "http://a/ a.dll=" + kSumA);
    download.pop_back();
    EXPECT_EQ(Unpack(download),
              "update list: zlib data corrupt (unpacks to more than 4 times its size)");
}

}  // namespace
}  // namespace gatevane
