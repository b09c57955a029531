#include "launcher/update/to_do_list.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <set>

namespace gatevane {
namespace {

const std::string kSum = "0123456789abcdef0123456789abcdef";
using Entries = std::vector<std::pair<std::string, std::string>>;

Entries EntriesOf(const ToDoList& list) {
    Entries entries;
    for (const ToDoEntry& entry : list.entries) entries.emplace_back(entry.name, entry.checksum);
    return entries;
}

TEST(ToDoList, TheWrittenFileReadsBackAsTheProfileFunctionsWouldReadIt) {
    const ToDoList list{"http://h:81/files/", {{"Lobby.dll", kSum}, {"皮肤/\x81\x5C.png", kSum}}};
    const std::string text = FormatToDoFile(list);
    EXPECT_EQ(text.substr(0, 82),
              "[UPDATEFILELIST]\r\nUPDATEFILECOUNT=2\r\nFILENETADDRESS=http://h:81/files/\r\n"
              "FileIndex0");
    const ToDoList read = ParseToDoFile(text);
    EXPECT_EQ(read.address, list.address);
    EXPECT_EQ(EntriesOf(read), EntriesOf(list));

    // Keys and sections in any case, other sections ignored, the first of a repeated key wins, and
    // keys an earlier, longer run left beyond the count are not read.
    const ToDoList odd = ParseToDoFile(
        "[other]\nFileIndex0=x.dll\n[updatefilelist]\r\n updatefilecount = 1 \r\n"
        "filenetaddress=http://h/f/\nFILEINDEX0=a.dll\nFileIndex0=b.dll\nfilechecknum0=" +
        kSum + "\nFileIndex1=stale.dll\nFileCheckNum1=" + kSum + "\n");
    EXPECT_EQ(EntriesOf(odd), (Entries{{"a.dll", kSum}}));
}

TEST(ToDoList, EntriesThatCouldNotBeWrittenSafelyOrVerifiedAreLeftOut) {
    const std::string head = "[UPDATEFILELIST]\r\nUPDATEFILECOUNT=5\r\nFILENETADDRESS=";
    const std::string entries =
        "FileIndex0=../../evil.dll\r\nFileCheckNum0=" + kSum +
        "\r\nFileIndex1=empty.dll\r\nFileCheckNum1=\r\n"
        "FileIndex2=upper.dll\r\nFileCheckNum2=0123456789ABCDEF0123456789ABCDEF\r\n"
        "FileIndex3=good.dll\r\nFileCheckNum3=" +
        kSum + "\r\n";
    const ToDoList list = ParseToDoFile(head + "http://h/f/\r\n" + entries);
    EXPECT_EQ(EntriesOf(list), (Entries{{"good.dll", kSum}}));
    EXPECT_TRUE(ParseToDoFile(head + "http://h/x\\..\\..\\Windows\r\n" + entries).entries.empty());
    EXPECT_TRUE(ParseToDoFile("[UPDATEFILELIST]\r\nUPDATEFILECOUNT=-3\r\n").entries.empty());
}

TEST(ToDoList, OnlyEntriesWhoseFileDiffersAreToDoInListOrderOnAnyNumberOfThreads) {
    const std::string kOther(32, 'e');
    UpdateList list{"http://h/f/", {{"same", kSum}, {"differs", kSum}, {"missing", kSum}}};
    for (int i = 0; i < 500; ++i) list.entries.push_back({"f" + std::to_string(i), kSum});
    list.entries.push_back({"also", kOther});
    for (unsigned workers : {1u, 4u}) {
        std::mutex asked;
        std::multiset<std::string> names;
        const ToDoList toDo = StaleEntries(
            list,
            [&](const std::string& name) -> std::string {
                std::lock_guard<std::mutex> lock(asked);
                names.insert(name);
                if (name == "missing") return "";
                return name == "differs" || name == "f250" ? kOther : kSum;
            },
            workers);
        EXPECT_EQ(toDo.address, "http://h/f/");
        EXPECT_EQ(EntriesOf(toDo),
                  (Entries{{"differs", kSum}, {"missing", kSum}, {"f250", kSum}, {"also", kOther}}))
            << workers;
        EXPECT_EQ(names.size(), list.entries.size()) << "each file is read once";
        EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
    }
}

TEST(ToDoList, TheLargestListIsWrittenAndReadInLinearTime) {
    ToDoList list{"http://h/f/", {}};
    for (int i = 0; i < 65535; ++i) list.entries.push_back({"f/" + std::to_string(i), kSum});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(EntriesOf(ParseToDoFile(FormatToDoFile(list))), EntriesOf(list));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

}  // namespace
}  // namespace gatevane
