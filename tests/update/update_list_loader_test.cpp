// The update list loader against nginx serving lists built here (and the fault-injecting server
// for a header nginx would never send), with a test folder as the program folder: what goes into
// LobbyUpdate.log, and what a bad list or a failed fetch makes of logon.
#include "launcher/update/update_list_loader_win.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <zlib.h>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <cctype>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "launcher/update/md5.h"
#include "tests/support/native_server.h"
#include "tests/support/test_folder.h"

namespace gatevane {
namespace {

using testing::HttpFaultServer;
using testing::NginxServer;
using testing::PumpMessagesUntil;
using testing::UnixPath;

constexpr char kNginx[] = "127.0.0.40:8040";
constexpr char kNginxUrl[] = "http://127.0.0.40:8040";
constexpr char kFaultServer[] = "127.0.0.41:8041";
constexpr char kFaultUrl[] = "http://127.0.0.41:8041";
constexpr char kFilesAddress[] = "http://127.0.0.40:8040/files/";
// A GBK name whose trail byte is '\': one character, no folder.
constexpr char kGbkName[] = "skin/\xdf\x5c.png";

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Bytes(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

std::string BuiltList(const std::vector<UpdateListEntry>& entries) {
    return Bytes(CompressUpdateList(UpdateList{kFilesAddress, entries}));
}

// The table written byte by byte as the launcher reads it: the builder refuses what some cases
// must send (an upper-case or hostile checksum, an unsafe name, a wrong count). Records are
// {checksum, name}; the header counts them unless `count` says otherwise.
std::string HandMadeList(const std::string& address,
                         const std::vector<std::pair<std::string, std::string>>& records,
                         int count = -1) {
    std::string table;
    const auto u16 = [&table](std::size_t value) {
        table += static_cast<char>(value & 0xFF);
        table += static_cast<char>(value >> 8);
    };
    u16(kListAddressOffset + address.size() + 1);
    u16(count < 0 ? records.size() : static_cast<std::size_t>(count));
    table += address + '\0';
    for (const auto& [checksum, name] : records) {
        u16(kRecordNameOffset + name.size() + 1);
        std::string field = checksum;
        field.resize(kRecordChecksumField, '\0');
        table += field + name + '\0';
    }
    // Packed tighter than four to one, the launcher would take it for corrupt; stored never is.
    for (int level : {Z_BEST_COMPRESSION, Z_NO_COMPRESSION}) {
        uLongf size = compressBound(static_cast<uLong>(table.size()));
        std::string packed(size, '\0');
        compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                  reinterpret_cast<const Bytef*>(table.data()), static_cast<uLong>(table.size()),
                  level);
        packed.resize(size);
        if (table.size() <= kListExpansionFactor * size) return packed;
    }
    return {};
}

class RecordingOwner final : public UpdateOwner {
public:
    std::vector<bool> listDone;  // the argument of each OnUpdateListDone
    int finished = 0;            // ShowUpdateFinished calls

    bool Told() const { return finished > 0 || !listDone.empty(); }

    void OnUpdateListDone(bool filesToFetch) override { listDone.push_back(filesToFetch); }
    void ShowUpdateFinished() override { ++finished; }
    void ShowUpdateProgress(const UpdateProgress&) override {
        ADD_FAILURE() << "the list fetch shows no progress";
    }
    void StartLobbyAfterUpdate() override { ADD_FAILURE() << "the list fetch starts no lobby"; }
    void ShowUpdateStopped(const char*) override {
        ADD_FAILURE() << "the list fetch stops nothing";
    }
};

class UpdateListLoaderTest : public ::testing::Test {
protected:
    UpdateListLoaderTest() { server_.MakeFolder("config"); }

    std::vector<std::string> NginxOptions() const {
        return {"--listen", kNginx, "--root", UnixPath(server_.path())};
    }

    void Publish(const std::string& name, const std::string& bytes) {
        server_.Write("config/" + name, bytes);
    }

    // A file of the program folder, folders made as needed.
    void Install(const std::string& name, const std::string& content) {
        const std::size_t slash = name.rfind('/');
        if (slash != std::string::npos) program_.MakeFolder(name.substr(0, slash));
        program_.Write(name, content);
    }

    // Runs `loader` on `url` until it has told its owner, then a little longer: anything it would
    // tell twice comes then.
    void Load(UpdateListLoader& loader, const std::string& url, int milliseconds = 10000) {
        owner_ = RecordingOwner();
        EXPECT_TRUE(loader.Start(url.c_str())) << url;
        EXPECT_TRUE(PumpMessagesUntil(milliseconds, [this] { return owner_.Told(); })) << url;
        PumpMessagesUntil(200, [] { return false; });
    }

    // The to-do section as the download manager reads it: "key=value", in file order.
    std::vector<std::string> ToDo() const {
        std::vector<char> buffer(65536);
        const DWORD length = ::GetPrivateProfileSectionA("UPDATEFILELIST", buffer.data(),
                                                         static_cast<DWORD>(buffer.size()),
                                                         program_.Path("LobbyUpdate.log").c_str());
        std::vector<std::string> lines;
        for (const char* line = buffer.data(); line < buffer.data() + length && *line;
             line += std::strlen(line) + 1) {
            lines.push_back(line);
        }
        return lines;
    }

    std::vector<std::string> ErrorLines() const {
        std::vector<std::string> lines;
        const std::string log = program_.Read("UpdateError.log");
        for (std::size_t at = 0, end; (end = log.find("\r\n", at)) != std::string::npos;
             at = end + 2) {
            lines.push_back(log.substr(at, end - at));
        }
        return lines;
    }

    testing::TestFolder server_;
    testing::TestFolder program_;
    // UpdateError.log goes to the current directory, the game hall's folder.
    testing::CurrentDirectory inProgram_{program_.path()};
    RecordingOwner owner_;
};

TEST_F(UpdateListLoaderTest, AnUpToDateFolderLeavesTheToDoListAsItIs) {
    Install("Lobby.dll", "lobby");
    Install("data/maps/1.map", "one map");
    Install("skin/empty.txt", "");
    Publish("Update.txt", BuiltList({{"Lobby.dll", ChecksumTextOf("lobby")},
                                     {"data/maps/1.map", ChecksumTextOf("one map")},
                                     {"skin/empty.txt", ChecksumTextOf("")}}));
    Publish("Empty.txt", BuiltList({}));
    NginxServer server(NginxOptions());

    UpdateListLoader loader(&owner_, program_.path());
    EXPECT_EQ(loader.state(), UpdateListLoader::kIdle);
    Load(loader, kNginxUrl + std::string("/config/Update.txt"));
    EXPECT_EQ(owner_.listDone, std::vector<bool>{false});
    EXPECT_EQ(owner_.finished, 0);
    EXPECT_EQ(loader.state(), UpdateListLoader::kComplete);
    EXPECT_FALSE(program_.Exists("LobbyUpdate.log"));
    EXPECT_FALSE(program_.Exists("UpdateError.log"));
    EXPECT_FALSE(loader.Start((kNginxUrl + std::string("/config/Update.txt")).c_str()))
        << "a complete loader is not started again";

    UpdateListLoader empty(&owner_, program_.path());
    Load(empty, kNginxUrl + std::string("/config/Empty.txt"));
    EXPECT_EQ(owner_.listDone, std::vector<bool>{false}) << "a list of no files";
    EXPECT_FALSE(program_.Exists("LobbyUpdate.log"));

    // An earlier run's list, not yet fetched, stays byte for byte.
    const std::string earlier =
        "[UPDATEFILELIST]\r\nFileIndex0=x.dll\r\nFileCheckNum0=0\r\nUPDATEFILECOUNT=1\r\n";
    program_.Write("LobbyUpdate.log", earlier);
    UpdateListLoader again(&owner_, program_.path());
    Load(again, kNginxUrl + std::string("/config/Update.txt"));
    EXPECT_EQ(owner_.listDone, std::vector<bool>{false});
    EXPECT_EQ(program_.Read("LobbyUpdate.log"), earlier);
    EXPECT_EQ(server.Count("\"GET /config/"), 3) << server.Log();
}

TEST_F(UpdateListLoaderTest, OutOfDateFilesAreListedInListOrder) {
    Install("Lobby.dll", "lobby");
    Install("data/maps/1.map", "old map");
    Install(kGbkName, "old skin");
    Install("Upper.txt", "upper");
    Install("Same.txt", "same");
    Install("bin/Quarnel.exe", "a tool of the same name");
    Publish("Update.txt",
            HandMadeList(kFilesAddress,
                         {{ChecksumTextOf("lobby"), "Lobby.dll"},
                          {ChecksumTextOf("new map"), "data/maps/1.map"},
                          {ChecksumTextOf("gone"), "data/gone.bin"},
                          {ChecksumTextOf("new skin"), kGbkName},
                          {ChecksumTextOf("same"), "Same.txt"},
                          {Upper(ChecksumTextOf("upper")), "Upper.txt"},
                          {ChecksumTextOf("a tool of the same name"), "bin/Quarnel.exe"}}));
    NginxServer server(NginxOptions());

    UpdateListLoader loader(&owner_, program_.path());
    Load(loader, kNginxUrl + std::string("/config/Update.txt"));
    EXPECT_EQ(owner_.listDone, std::vector<bool>{true});
    EXPECT_EQ(owner_.finished, 0);
    // Checksums compare without case; Quarnel.exe in a folder is a file like any other.
    EXPECT_EQ(ToDo(), (std::vector<std::string>{
                          "UPDATEFILECOUNT=3",
                          std::string("FILENETADDRESS=") + kFilesAddress,
                          "FileIndex0=data/maps/1.map",
                          "FileCheckNum0=" + ChecksumTextOf("new map"),
                          "FileIndex1=data/gone.bin",
                          "FileCheckNum1=" + ChecksumTextOf("gone"),
                          std::string("FileIndex2=") + kGbkName,
                          "FileCheckNum2=" + ChecksumTextOf("new skin"),
                      }));
    EXPECT_FALSE(program_.Exists("UpdateError.log"));
}

TEST_F(UpdateListLoaderTest, AnEarlierToDoListIsReplacedWhole) {
    program_.Write("LobbyUpdate.log",
                   "[UPDATEFILELIST]\r\n"
                   "FileIndex0=a\r\nFileCheckNum0=1\r\nFileIndex1=b\r\nFileCheckNum1=2\r\n"
                   "UPDATEFILECOUNT=2\r\nFILENETADDRESS=http://127.0.0.1/old/\r\n");
    Install("Quarnel.exe", "launcher 1");
    Publish("Update.txt", BuiltList({{"quarnel.EXE", ChecksumTextOf("launcher 2")}}));
    NginxServer server(NginxOptions());

    UpdateListLoader loader(&owner_, program_.path());
    Load(loader, kNginxUrl + std::string("/config/Update.txt"));
    EXPECT_EQ(owner_.listDone, std::vector<bool>{true});
    EXPECT_EQ(ToDo(), (std::vector<std::string>{
                          "UPDATEFILECOUNT=1",
                          std::string("FILENETADDRESS=") + kFilesAddress,
                          "FileIndex0=quarnel.EXE",
                          "FileCheckNum0=" + ChecksumTextOf("launcher 2"),
                      }));
}

TEST_F(UpdateListLoaderTest, AListThatDoesNotReadIsLoggedAndLogonGoesOn) {
    Install("Lobby.dll", "lobby");
    const struct {
        const char* file;
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"Garbage.txt", "this is no zlib stream, only text", "update list: zlib data corrupt"},
        {"Evil.txt", HandMadeList(kFilesAddress, {{ChecksumTextOf("evil"), "../evil.dll"}}),
         "update list: unsafe file name '../evil.dll' in record 1"},
        {"Device.txt", HandMadeList(kFilesAddress, {{ChecksumTextOf("aux"), "data/AUX.dll"}}),
         "update list: unsafe file name 'data/AUX.dll' in record 1"},
        {"Short.txt", HandMadeList(kFilesAddress, {{ChecksumTextOf("x"), "Lobby.dll"}}, 2),
         "update list: record 2 runs past the data"},
        {"Outside.txt",
         HandMadeList("http://127.0.0.40:8040/x\\..\\..\\..\\Windows",
                      {{ChecksumTextOf("w"), "win.ini"}}),
         "update list: the base address 'http://127.0.0.40:8040/x\\..\\..\\..\\Windows' is not a "
         "plain http address"},
        {"Twice.txt",
         HandMadeList(kFilesAddress,
                      {{ChecksumTextOf("1"), "a/x.dat"}, {ChecksumTextOf("2"), "A\\X.DAT"}}),
         "update list: 'A\\X.DAT' names a file listed before it"},
        {"Hostile.txt", HandMadeList(kFilesAddress, {{"0\r\nUPDATEFILECOUNT=99\r\n[X]", "a.dll"}}),
         "update list: the checksum of record 1 is no MD5"},
    };
    for (const auto& item : cases) Publish(item.file, item.bytes);
    NginxServer server(NginxOptions());

    std::vector<std::string> reasons;
    for (const auto& item : cases) {
        UpdateListLoader loader(&owner_, program_.path());
        Load(loader, kNginxUrl + std::string("/config/") + item.file);
        EXPECT_EQ(owner_.listDone, std::vector<bool>{false}) << item.file;
        EXPECT_EQ(owner_.finished, 0) << item.file;
        reasons.push_back(item.reason);
    }
    EXPECT_EQ(ErrorLines(), reasons);
    EXPECT_FALSE(program_.Exists("LobbyUpdate.log")) << "nothing of a refused list is acted on";
}

// Lists signed by the operator's own tool (OpenSSL), served by nginx beside their signatures.
TEST_F(UpdateListLoaderTest, AHallWithAKeyTakesOnlyListsSignedWithItAndNeverAnOlderOne) {
    const char* fixtures = std::getenv("GATEVANE_SIGNING_FIXTURES");
    ASSERT_TRUE(fixtures && *fixtures) << "run through ctest";
    const auto fixture = [fixtures](const std::string& name) {
        std::ifstream in(std::string(fixtures) + "\\" + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    for (const char* name : {"Update.txt", "Older.txt", "Stranger.txt"}) {
        Publish(name, fixture(name));
        Publish(name + std::string(".sig"), fixture(name + std::string(".sig")));
    }
    Publish("Unsigned.txt", fixture("Update.txt"));
    NginxServer server(NginxOptions());
    const auto load = [&](const char* name) {
        UpdateListLoader loader(&owner_, program_.path());
        Load(loader, kNginxUrl + std::string("/config/") + name);
        return owner_.listDone;
    };

    EXPECT_EQ(load("Older.txt"), std::vector<bool>{true}) << "no key: taken as before";
    EXPECT_EQ(server.Count(".sig?x="), 0) << "and no signature asked for";

    program_.Write("UpdateKey.pem", fixture("UpdateKey.pem"));
    for (const char* refused : {"Stranger.txt", "Unsigned.txt"}) {
        EXPECT_EQ(load(refused), std::vector<bool>{false}) << refused;
    }
    EXPECT_EQ(load("Update.txt"), std::vector<bool>{true});
    EXPECT_NE(program_.Read("UpdateSerial.ini").find("Serial=5"), std::string::npos);
    EXPECT_EQ(load("Older.txt"), std::vector<bool>{false}) << "release 3 after release 5";
    EXPECT_EQ(ErrorLines().size(), 3u);
    EXPECT_EQ(server.Count(".sig?x="), 4) << server.Log();
}

TEST_F(UpdateListLoaderTest, AFailedFetchLetsLogonGoOn) {
    NginxServer server(NginxOptions());
    UpdateListLoader loader(&owner_, program_.path());
    Load(loader, kNginxUrl + std::string("/config/Missing.txt"));
    EXPECT_EQ(owner_.finished, 1);
    EXPECT_TRUE(owner_.listDone.empty());
    EXPECT_EQ(loader.state(), UpdateListLoader::kFailed);
    EXPECT_EQ(server.Count("\"GET /config/Missing.txt?x="), 1) << server.Log();
    EXPECT_EQ(server.Count(" 404 range=- "), 1) << server.Log();

    // A failed loader may be started again.
    Load(loader, "http://127.0.0.40:8049/config/Update.txt");  // nothing listens there
    EXPECT_EQ(owner_.finished, 1);
    EXPECT_EQ(loader.state(), UpdateListLoader::kFailed);

    owner_ = RecordingOwner();
    EXPECT_FALSE(loader.Start("not an address"));
    EXPECT_EQ(owner_.finished, 1) << "an address that cannot be opened is told at once";
    EXPECT_EQ(loader.state(), UpdateListLoader::kFailed);
    EXPECT_FALSE(program_.Exists("LobbyUpdate.log"));
}

TEST_F(UpdateListLoaderTest, AHeaderWithoutAUsableLengthIsRefusedAtOnce) {
    const std::string list = BuiltList({{"new.dll", ChecksumTextOf("new")}});
    server_.MakeFolder("big");
    server_.Write("big/Update.txt", list);
    // The largest list taken, and one byte more: bytes after the zlib stream do not count.
    std::string largest = list;
    largest.resize(kMaxCompressedListSize, '\0');
    Publish("Largest.txt", largest);
    Publish("TooLarge.txt", largest + '\0');
    NginxServer nginx(NginxOptions());
    HttpFaultServer faults({"--listen", kFaultServer, "--root", UnixPath(server_.path())});

    UpdateListLoader unannounced(&owner_, program_.path());
    const DWORD start = ::GetTickCount();
    Load(unannounced, kFaultUrl + std::string("/nolength/big/Update.txt"));
    EXPECT_LT(::GetTickCount() - start, 1000u) << "refused at the header, not at the close";
    EXPECT_EQ(owner_.finished, 1) << "told once: the request is abandoned, not failed again";
    EXPECT_TRUE(owner_.listDone.empty());
    EXPECT_EQ(unannounced.state(), UpdateListLoader::kFailed);

    UpdateListLoader tooLarge(&owner_, program_.path());
    Load(tooLarge, kNginxUrl + std::string("/config/TooLarge.txt"));
    EXPECT_EQ(owner_.finished, 1);
    EXPECT_TRUE(owner_.listDone.empty());
    // nginx logs the request when the connection ends: the loader hung up long before the end.
    EXPECT_TRUE(PumpMessagesUntil(5000, [&] { return nginx.Count("/config/TooLarge.txt") == 1; }))
        << nginx.Log();
    EXPECT_EQ(nginx.Count(" bytes=16777217"), 0) << nginx.Log();
    EXPECT_EQ(ErrorLines(), (std::vector<std::string>{
                                "update list: the server announced no length",
                                "update list: the server announced 16777217 bytes, more than "
                                "the 16777216 taken",
                            }));

    UpdateListLoader atTheLimit(&owner_, program_.path());
    Load(atTheLimit, kNginxUrl + std::string("/config/Largest.txt"), 30000);
    EXPECT_EQ(owner_.listDone, std::vector<bool>{true});
    EXPECT_EQ(owner_.finished, 0);
    EXPECT_EQ(ToDo(), (std::vector<std::string>{
                          "UPDATEFILECOUNT=1",
                          std::string("FILENETADDRESS=") + kFilesAddress,
                          "FileIndex0=new.dll",
                          "FileCheckNum0=" + ChecksumTextOf("new"),
                      }));
    EXPECT_EQ(ErrorLines().size(), 2u);
}

TEST_F(UpdateListLoaderTest, OneFetchAtATime) {
    Publish("Update.txt", BuiltList({{"new.dll", ChecksumTextOf("new")}}));
    NginxServer server(NginxOptions());
    const std::string url = kNginxUrl + std::string("/config/Update.txt");

    UpdateListLoader loader(&owner_, program_.path());
    ASSERT_TRUE(loader.Start(url.c_str()));
    EXPECT_EQ(loader.state(), UpdateListLoader::kRequested);
    EXPECT_FALSE(loader.Start(url.c_str())) << "refused while requested";
    EXPECT_FALSE(loader.Start(nullptr));
    EXPECT_TRUE(PumpMessagesUntil(10000, [this] { return owner_.Told(); }));
    EXPECT_EQ(owner_.listDone, std::vector<bool>{true});
    EXPECT_EQ(server.Count("\"GET /config/Update.txt?x="), 1) << server.Log();
}

}  // namespace
}  // namespace gatevane
