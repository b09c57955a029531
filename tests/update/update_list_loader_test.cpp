// The update list loader against nginx serving lists built here (and the fault-injecting server
// for a header nginx would never send), with a test folder as the program folder: what goes into
// LobbyUpdate.log, and what a bad list or a failed fetch makes of logon.
#include "launcher/update/update_list_loader_win.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "launcher/update/md5.h"
#include "launcher/update/to_do_list.h"
#include "tests/support/native_server.h"
#include "tests/support/test_folder.h"

namespace gatevane {
namespace {

using testing::PumpMessagesUntil;
using testing::UnixPath;

constexpr char kNginx[] = "127.0.0.40:8040";
constexpr char kLists[] = "http://127.0.0.40:8040/";
constexpr char kFilesAddress[] = "http://127.0.0.40:8040/files/";
// A GBK name whose trail byte is '\': one character, no folder.
constexpr char kGbkName[] = "skin/\xdf\x5c.png";

std::string BuiltList(const std::vector<UpdateListEntry>& entries) {
    const std::vector<std::uint8_t> bytes = CompressUpdateList(UpdateList{kFilesAddress, entries});
    return std::string(bytes.begin(), bytes.end());
}

class RecordingOwner final : public UpdateOwner {
public:
    std::vector<bool> listDone;  // the argument of each OnUpdateListDone
    int finished = 0;            // ShowUpdateFinished calls
    bool Told() const { return finished > 0 || !listDone.empty(); }

    void OnUpdateListDone(bool filesToFetch) override { listDone.push_back(filesToFetch); }
    void ShowUpdateFinished() override { ++finished; }
    void ShowUpdateProgress(const UpdateProgress&) override { ADD_FAILURE() << "progress"; }
    void StartLobbyAfterUpdate() override { ADD_FAILURE() << "a lobby start"; }
    void ShowUpdateStopped(const char*) override { ADD_FAILURE() << "a stop"; }
};

class UpdateListLoaderTest : public ::testing::Test {
protected:
    void Install(const std::string& name, const std::string& content) {
        const std::size_t slash = name.rfind('/');
        if (slash != std::string::npos) program_.MakeFolder(name.substr(0, slash));
        program_.Write(name, content);
    }

    // Runs `loader` on `url` (a name under kLists, or an address) until it tells its owner, and a
    // little longer for anything it would tell twice. Only one fetch runs at a time.
    std::vector<bool> Load(UpdateListLoader& loader, std::string url, int milliseconds = 10000) {
        if (url.find("://") == std::string::npos) url = kLists + url;
        owner_ = RecordingOwner();
        EXPECT_TRUE(loader.Start(url.c_str())) << url;
        EXPECT_FALSE(loader.Start(url.c_str())) << "refused while requested";
        EXPECT_TRUE(PumpMessagesUntil(milliseconds, [this] { return owner_.Told(); })) << url;
        PumpMessagesUntil(200, [] { return false; });
        return owner_.listDone;
    }
    std::vector<bool> Load(const std::string& url) {
        UpdateListLoader loader(&owner_, program_.path());
        return Load(loader, url);
    }

    // LobbyUpdate.log naming `names`, each with the checksum of its name.
    static std::string ToDoOf(const std::vector<std::string>& names) {
        ToDoList toDo{kFilesAddress, {}};
        for (const std::string& name : names) toDo.entries.push_back({name, ChecksumTextOf(name)});
        return FormatToDoFile(toDo);
    }

    testing::TestFolder server_, program_;
    testing::NginxServer nginx_{{"--listen", kNginx, "--root", UnixPath(server_.path())}};
    // UpdateError.log goes to the current directory, the game hall's folder.
    testing::CurrentDirectory inProgram_{program_.path()};
    RecordingOwner owner_;
};

// Each listed file's content is its own name unless it is up to date; a launcher in a folder is a
// file like any other, and an earlier to-do list is replaced whole, but kept byte for byte when
// nothing is out of date.
TEST_F(UpdateListLoaderTest, OutOfDateFilesAreListedInListOrderAndAnUpToDateFolderChangesNothing) {
    program_.Write("LobbyUpdate.log",
                   "[UPDATEFILELIST]\r\nFileIndex3=old\r\nFileCheckNum3=1\r\nUPDATEFILECOUNT=4\r\n"
                   "FILENETADDRESS=http://127.0.0.1/old/\r\n");
    for (const auto& [name, content] : {std::pair{"Lobby.dll", "lobby"},
                                        {"data/maps/1.map", "old map"},
                                        {kGbkName, "old skin"},
                                        {"bin/Quarnel.exe", "a tool"}})
        Install(name, content);
    server_.Write("Update.txt", BuiltList({{"Lobby.dll", ChecksumTextOf("lobby")},
                                           {"data/maps/1.map", ChecksumTextOf("data/maps/1.map")},
                                           {"data/gone.bin", ChecksumTextOf("data/gone.bin")},
                                           {kGbkName, ChecksumTextOf(kGbkName)},
                                           {"bin/Quarnel.exe", ChecksumTextOf("a tool")}}));
    server_.Write("Empty.txt", BuiltList({}));

    UpdateListLoader loader(&owner_, program_.path());
    EXPECT_EQ(loader.state(), UpdateListLoader::kIdle);
    EXPECT_EQ(Load(loader, "Update.txt"), std::vector<bool>{true});
    EXPECT_EQ(loader.state(), UpdateListLoader::kComplete);
    EXPECT_FALSE(loader.Start(kLists)) << "complete";
    EXPECT_EQ(program_.Read("LobbyUpdate.log"),
              ToDoOf({"data/maps/1.map", "data/gone.bin", kGbkName}));

    const std::string earlier = program_.Read("LobbyUpdate.log");
    for (const char* name : {"data/maps/1.map", "data/gone.bin", kGbkName}) Install(name, name);
    EXPECT_EQ(Load("Update.txt"), std::vector<bool>{false});
    EXPECT_EQ(Load("Empty.txt"), std::vector<bool>{false});
    EXPECT_EQ(program_.Read("LobbyUpdate.log"), earlier);
    EXPECT_TRUE(owner_.finished == 0 && !program_.Exists("UpdateError.log"));
}

TEST_F(UpdateListLoaderTest, ABadListOrAFailedFetchIsLoggedAndLogonGoesOn) {
    // Every reason a list is refused for is the reader's (update_list); each goes to the log.
    server_.Write("Garbage.txt", "this is no zlib stream, only text");
    EXPECT_TRUE(Load("Garbage.txt") == std::vector<bool>{false} && owner_.finished == 0);
    EXPECT_EQ(program_.Read("UpdateError.log"), "update list: zlib data corrupt\r\n");

    // A failed fetch is told once, and the loader may be started again.
    UpdateListLoader loader(&owner_, program_.path());
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_TRUE(Load(loader, "Missing.txt").empty());
        EXPECT_TRUE(owner_.finished == 1 && loader.state() == UpdateListLoader::kFailed);
    }
    owner_ = RecordingOwner();
    EXPECT_FALSE(loader.Start(nullptr));
    EXPECT_FALSE(loader.Start("not an address"));
    EXPECT_TRUE(owner_.finished == 1 && loader.state() == UpdateListLoader::kFailed)
        << "an address that cannot be opened is told at once";
    EXPECT_FALSE(program_.Exists("LobbyUpdate.log"));
}

// Lists signed by the operator's own tool (OpenSSL), served by nginx beside their signatures.
TEST_F(UpdateListLoaderTest, AHallWithAKeyTakesOnlyListsSignedWithItAndNeverAnOlderOne) {
    const char* fixtures = std::getenv("GATEVANE_SIGNING_FIXTURES");
    ASSERT_TRUE(fixtures && *fixtures) << "run through ctest";
    const auto fixture = [fixtures](const std::string& name) {
        std::ifstream in(std::string(fixtures) + "\\" + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    for (const std::string name : {"Update.txt", "Older.txt"}) {
        server_.Write(name, fixture(name));
        server_.Write(name + ".sig", fixture(name + ".sig"));
    }
    server_.Write("Unsigned.txt", fixture("Update.txt"));

    EXPECT_EQ(Load("Older.txt"), std::vector<bool>{true}) << "no key: taken as before";
    EXPECT_EQ(nginx_.Count(".sig?x="), 0) << "and no signature asked for";

    program_.Write("UpdateKey.pem", fixture("UpdateKey.pem"));
    EXPECT_EQ(Load("Unsigned.txt"), std::vector<bool>{false});
    EXPECT_EQ(Load("Update.txt"), std::vector<bool>{true});
    EXPECT_EQ(Load("Older.txt"), std::vector<bool>{false}) << "release 3 after 5, recorded";
    EXPECT_EQ(nginx_.Count(".sig?x="), 3) << nginx_.Log();
}

TEST_F(UpdateListLoaderTest, AHeaderWithoutAUsableLengthIsRefusedAtOnce) {
    const std::string list = BuiltList({{"new.dll", ChecksumTextOf("new.dll")}});
    // The largest list taken, and one byte more: bytes after the zlib stream do not count.
    std::string largest = list;
    largest.resize(kMaxCompressedListSize, '\0');
    server_.Write("Update.txt", list);
    server_.Write("Largest.txt", largest);
    server_.Write("TooLarge.txt", largest + '\0');
    testing::HttpFaultServer faults(
        {"--listen", "127.0.0.41:8041", "--root", UnixPath(server_.path())});

    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(Load("http://127.0.0.41:8041/nolength/Update.txt").empty());
    EXPECT_LT(::GetTickCount() - start, 1000u) << "refused at the header, not at the close";
    EXPECT_EQ(owner_.finished, 1) << "told once: the request is abandoned, not failed again";

    EXPECT_TRUE(Load("TooLarge.txt").empty() && owner_.finished == 1);
    // nginx logs the request when the connection ends: the loader hung up long before the end.
    EXPECT_TRUE(PumpMessagesUntil(5000, [&] { return nginx_.Count("/TooLarge.txt") == 1; }))
        << nginx_.Log();
    EXPECT_EQ(nginx_.Count(" bytes=16777217"), 0) << nginx_.Log();
    EXPECT_EQ(program_.Read("UpdateError.log"),
              "update list: the server announced no length\r\n"
              "update list: the server announced 16777217 bytes, more than the 16777216 taken\r\n");

    UpdateListLoader atTheLimit(&owner_, program_.path());
    EXPECT_EQ(Load(atTheLimit, "Largest.txt", 30000), std::vector<bool>{true});
    EXPECT_EQ(program_.Read("LobbyUpdate.log"), ToDoOf({"new.dll"}));
}

}  // namespace
}  // namespace gatevane
