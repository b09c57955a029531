#include "launcher/update/to_do_list.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <set>

namespace gatevane {
namespace {

const std::string kSum = "0123456789abcdef0123456789abcdef";

TEST(ToDoList, TheWrittenFileReadsBackAsTheProfileFunctionsWouldReadIt) {
    const ToDoList list{"http://h:81/files/", {{"Lobby.dll", kSum}, {"皮肤/\x81\x5C.png", kSum}}};
    const std::string text = FormatToDoFile(list);
    EXPECT_EQ(text.substr(0, 82),
              "[UPDATEFILELIST]\r\nUPDATEFILECOUNT=2\r\nFILENETADDRESS=http://h:81/files/\r\n"
              "FileIndex0");
    const ToDoList read = ParseToDoFile(text);
    EXPECT_EQ(read.address, list.address);
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[1].name, list.entries[1].name);
    EXPECT_EQ(read.entries[1].checksum, kSum);

    // Keys and sections in any case, other sections ignored, the first of a repeated key wins, and
    // keys an earlier, longer run left beyond the count are not read.
    const ToDoList odd = ParseToDoFile(
        "[other]\nFileIndex0=x.dll\n[updatefilelist]\r\n updatefilecount = 1 \r\n"
        "filenetaddress=http://h/f/\nFILEINDEX0=a.dll\nFileIndex0=b.dll\nfilechecknum0=" +
        kSum + "\nFileIndex1=stale.dll\nFileCheckNum1=" + kSum + "\n");
    ASSERT_EQ(odd.entries.size(), 1u);
    EXPECT_EQ(odd.entries[0].name, "a.dll");
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
    ASSERT_EQ(list.entries.size(), 1u) << "index 4 is missing altogether";
    EXPECT_EQ(list.entries[0].name, "good.dll");
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
        ASSERT_EQ(toDo.entries.size(), 4u) << workers;
        EXPECT_EQ(toDo.entries[0].name, "differs");
        EXPECT_EQ(toDo.entries[1].name, "missing");
        EXPECT_EQ(toDo.entries[2].name, "f250");
        EXPECT_EQ(toDo.entries[3].checksum, kOther);
        EXPECT_EQ(names.size(), list.entries.size()) << "each file is read once";
        EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
    }
}

TEST(ToDoList, TheLargestListIsWrittenAndReadInLinearTime) {
    ToDoList list{"http://h/f/", {}};
    for (int i = 0; i < 65535; ++i)
        list.entries.push_back({"f/" + std::to_string(i) + ".dat", kSum});
    const auto start = std::chrono::steady_clock::now();
    const ToDoList read = ParseToDoFile(FormatToDoFile(list));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(read.entries.size(), 65535u);
    EXPECT_EQ(read.entries.back().name, "f/65534.dat");
    EXPECT_LT(took, std::chrono::seconds(2));  // well under 0.5 s even with sanitizers
}

}  // namespace
}  // namespace gatevane
