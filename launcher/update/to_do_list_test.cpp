#include "launcher/update/to_do_list.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <set>

#include "launcher/update/download_plan.h"

namespace gatevane {
namespace {

const std::string kSum = "0123456789abcdef0123456789abcdef";
using Entries = std::vector<std::pair<std::string, std::string>>;

Entries EntriesOf(const ToDoList& list) {
    Entries entries;
    for (const ToDoEntry& entry : list.entries) entries.emplace_back(entry.name, entry.checksum);
    return entries;
}

using Step = DownloadPlan::Step;

TEST(ToDoList, IsWrittenAndReadBackSafelyHoldsTheStaleFilesAndIsFetchedInOrder) {
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
    const std::string head = "[UPDATEFILELIST]\r\nUPDATEFILECOUNT=5\r\nFILENETADDRESS=";
    const std::string entries =
        "FileIndex0=../../evil.dll\r\nFileCheckNum0=" + kSum +
        "\r\nFileIndex1=empty.dll\r\nFileCheckNum1=\r\n"
        "FileIndex2=upper.dll\r\nFileCheckNum2=0123456789ABCDEF0123456789ABCDEF\r\n"
        "FileIndex3=good.dll\r\nFileCheckNum3=" +
        kSum + "\r\n";
    EXPECT_EQ(EntriesOf(ParseToDoFile(head + "http://h/f/\r\n" + entries)),
              (Entries{{"good.dll", kSum}}));
    EXPECT_TRUE(ParseToDoFile(head + "http://h/x\\..\\..\\Windows\r\n" + entries).entries.empty());
    EXPECT_TRUE(ParseToDoFile("[UPDATEFILELIST]\r\nUPDATEFILECOUNT=-3\r\n").entries.empty());
    const std::string kOther(32, 'e');
    UpdateList update{"http://h/f/", {{"same", kSum}, {"differs", kSum}, {"missing", kSum}}};
    for (int i = 0; i < 500; ++i) update.entries.push_back({"f" + std::to_string(i), kSum});
    update.entries.push_back({"also", kOther});
    for (unsigned workers : {1u, 4u}) {
        std::mutex asked;
        std::multiset<std::string> names;
        const ToDoList toDo = StaleEntries(
            update,
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
        EXPECT_EQ(names.size(), update.entries.size()) << "each file is read once";
        EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
    }
    // The largest list is written and read in linear time.
    ToDoList largest{"http://h/f/", {}};
    for (int i = 0; i < 65535; ++i) largest.entries.push_back({"f/" + std::to_string(i), kSum});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(EntriesOf(ParseToDoFile(FormatToDoFile(largest))), EntriesOf(largest));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

    // The messages and the stops are seen end to end in the download manager's Wine tests; here the
    // order of the steps, the resumes and the count of files done.
    DownloadPlan plan(ToDoList{"http://h/f/", {{"one", kSum}, {"two", kOther}}});
    ASSERT_EQ(plan.Begin(), Step::kFetch);
    EXPECT_FALSE(plan.Resume());
    EXPECT_EQ(plan.OnAttempt(false, ""), Step::kFetch);
    EXPECT_TRUE(plan.Resume()) << "a failed attempt resumes";
    EXPECT_EQ(plan.OnAttempt(false, ""), Step::kFetch);
    EXPECT_EQ(plan.OnAttempt(true, kSum), Step::kFetch) << "the third attempt may still succeed";
    EXPECT_EQ(plan.Current().name, "two");
    EXPECT_FALSE(plan.Resume()) << "the next file starts fresh";
    EXPECT_EQ(plan.FilesDone(), 1);
    EXPECT_EQ(plan.OnAttempt(true, kSum), Step::kStopMismatch);
    EXPECT_EQ(plan.OnAttempt(true, kOther), Step::kDone) << "nothing after a stop";
    EXPECT_EQ(plan.FilesDone(), 1);
    EXPECT_EQ(plan.FileCount(), 2);
    EXPECT_EQ(DownloadPlan(ToDoList{}).Begin(), Step::kDone);

    DownloadPlan unreachable(ToDoList{"http://h/f/", {{"one", kSum}}});
    unreachable.OnAttempt(false, "");
    unreachable.OnAttempt(false, "");
    EXPECT_EQ(unreachable.OnAttempt(false, ""), Step::kStopUnreachable);
    EXPECT_TRUE(unreachable.Stopped());
}

}  // namespace
}  // namespace gatevane
