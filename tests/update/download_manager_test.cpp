// The download manager fetching, verifying and installing an update from the fault-injecting HTTP
// server (its /plain/ files are served as nginx would; /flaky/K/ fails K times). The whole
// launcher's tests run an update from nginx to the lobby.
#include "launcher/update/download_manager_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher/update/md5.h"
#include "launcher/update/to_do_list.h"
#include "tests/support/native_server.h"
#include "tests/support/test_folder.h"

namespace gatevane {
namespace {

using testing::PumpMessagesUntil;
using testing::TestFolder;

constexpr char kServer[] = "127.0.0.32:8032";
constexpr char kServerRoot[] = "http://127.0.0.32:8032/";
constexpr char kPlainFiles[] = "http://127.0.0.32:8032/plain/";

std::string Content(const std::string& seed, std::size_t size) {
    std::string content;
    for (std::size_t i = 0; content.size() < size; ++i) content += seed + std::to_string(i) + ";";
    content.resize(size);
    return content;
}

class RecordingOwner final : public UpdateOwner {
public:
    std::vector<UpdateProgress> progress;
    int lobbyStarts = 0;
    std::vector<std::string> messages;
    void OnUpdateListDone(bool) override {}
    void ShowUpdateFinished() override {}
    void ShowUpdateProgress(const UpdateProgress& now) override { progress.push_back(now); }
    void StartLobbyAfterUpdate() override { ++lobbyStarts; }
    void ShowUpdateStopped(const char* message) override { messages.push_back(message); }
};

class DownloadManagerTest : public ::testing::Test {
protected:
    struct File {
        std::string name;    // as in the update list
        std::string served;  // the file under the server's root
        std::string content;
        std::string checksum = "";  // empty: the content's
    };

    // Serves `files`, lists them in LobbyUpdate.log and updates until the lobby starts or a stop.
    void RunUpdate(const std::vector<File>& files, const std::string& base) {
        ToDoList toDo{base, {}};
        for (const File& file : files) {
            const std::size_t slash = file.served.rfind('/');
            if (slash != std::string::npos) root_.MakeFolder(file.served.substr(0, slash));
            root_.Write(file.served, file.content);
            toDo.entries.push_back(
                {file.name, file.checksum.empty() ? ChecksumTextOf(file.content) : file.checksum});
        }
        program_.Write("LobbyUpdate.log", FormatToDoFile(toDo));
        DownloadManager manager(&owner_, nullptr, program_.path());
        ASSERT_TRUE(manager.Create());
        manager.LoadToDoList();
        ASSERT_TRUE(manager.StartDownloads());
        const std::size_t told = owner_.lobbyStarts + owner_.messages.size();
        PumpMessagesUntil(20000,
                          [&] { return owner_.lobbyStarts + owner_.messages.size() > told; });
        PumpMessagesUntil(300, [] { return false; });  // nothing more should happen
    }

    TestFolder program_, root_;
    testing::CurrentDirectory inProgram_{program_.path()};
    testing::HttpFaultServer server_{
        {"--listen", kServer, "--root", testing::UnixPath(root_.path())}};
    RecordingOwner owner_;
};

// Files of the same name in several folders, an empty file over an old one, a program in use (moved
// aside to be replaced), and the launcher, fetched as Quarnel.dll and left for start-up to swap in.
TEST_F(DownloadManagerTest, FetchesVerifiesAndInstallsFilesInNestedFolders) {
    program_.Write("empty.dat", "old bytes");
    program_.CopyBuilt("pet_standin.exe", "Helper.exe");
    UniqueKernelHandle running =
        testing::StartProgram(program_.Path("Helper.exe"), program_.path());
    ASSERT_TRUE(running);
    const std::vector<File> files = {
        {"a/x.dat", "a/x.dat", Content("first x", 300000)},
        {"b/x.dat", "b/x.dat", Content("second x", 20000)},
        {"sub\\x.dat", "sub/x.dat", Content("third x", 10000)},
        {"empty.dat", "empty.dat", ""},
        {"Helper.exe", "Helper.exe", Content("new helper", 40000)},
        {"Quarnel.exe", "Quarnel.dll", Content("launcher", 70000)},
    };
    RunUpdate(files, kPlainFiles);
    ::TerminateProcess(running.get(), 0);

    EXPECT_TRUE(owner_.lobbyStarts == 1 && owner_.messages.empty()) << server_.Log();
    for (std::size_t i = 0; i + 1 < files.size(); ++i)
        EXPECT_TRUE(program_.Read(files[i].name) == files[i].content) << files[i].name;
    EXPECT_TRUE(program_.Read("UpdateDownLoad\\Quarnel.exe") == files.back().content);
    for (const char* left :
         {"UpdateDownLoad\\a\\x.dat", "Quarnel.exe", "UpdateDownLoad\\Quarnel.dll"})
        EXPECT_FALSE(program_.Exists(left)) << left;

    ASSERT_TRUE(!owner_.progress.empty() && owner_.progress.size() < 60u) << "throttled";
    EXPECT_EQ(owner_.progress.back().fileCount, 6);
    int filesWithAllBytes = 0;
    for (const UpdateProgress& step : owner_.progress)
        filesWithAllBytes += step.total > 0 && step.received == step.total;
    EXPECT_GE(filesWithAllBytes, 5) << "the end of every file is shown";
}

// A failed attempt is resumed where it stopped (a base address without its trailing slash, the
// launcher included); a resumption answered with the whole file is taken at its word, one
// answered at the wrong offset makes the next attempt start over.
TEST_F(DownloadManagerTest, FailedAttemptsAreRetriedAndResumed) {
    RunUpdate({{"Quarnel.exe", "Quarnel.dll", Content("launcher", 90000)},
               {"data/x.bin", "data/x.bin", Content("x", 50000)}},
              std::string(kServerRoot) + "flaky/1");
    EXPECT_EQ(server_.Count("/flaky/1/Quarnel.dll?x="), 2) << server_.Log();
    EXPECT_EQ(server_.Count("range=bytes=45000-"), 1) << "resumed after the first half";
    EXPECT_EQ(server_.Count("range=bytes=25000-"), 1) << server_.Log();
    EXPECT_TRUE(program_.Read("UpdateDownLoad\\Quarnel.exe") == Content("launcher", 90000));
    EXPECT_TRUE(program_.Read("data\\x.bin") == Content("x", 50000));

    const std::vector<File> files = {{"flaky/2/Game.dll", "Game.dll", Content("game", 200000)},
                                     {"flakywhole/1/y.bin", "y.bin", Content("y", 40000)},
                                     {"flakybadrange/1/z.bin", "z.bin", Content("z", 30000)}};
    RunUpdate(files, kServerRoot);
    EXPECT_TRUE(owner_.lobbyStarts == 2 && server_.Count("/Game.dll?x=") == 3) << server_.Log();
    EXPECT_EQ(server_.Count("/z.bin?x="), 3) << "the third attempt asks from byte 0";
    // The first run's two, then Game.dll twice and y.bin and z.bin once each.
    EXPECT_EQ(server_.Count("range=bytes="), 2 + 2 + 1 + 1) << server_.Log();
    for (const File& file : files) EXPECT_TRUE(program_.Read(file.name) == file.content);
}

// The update stops at a file that cannot be stored three times, or at a checksum mismatch, and
// installs what was verified before it; a launcher that fails its check never waits for start-up.
TEST_F(DownloadManagerTest, AThirdFailureOrAMismatchStopsTheUpdateAtThatFile) {
    program_.MakeFolder("UpdateDownLoad\\Blocked.dll");  // a folder where the file would go
    RunUpdate({{"first.dll", "first.dll", Content("first", 1000)},
               {"Blocked.dll", "Blocked.dll", Content("blocked", 1000)},
               {"third.dll", "third.dll", Content("third", 1000)}},
              kPlainFiles);
    const std::string message = "文件 Blocked.dll 无法下载,可能由网络原因造成,请稍后重试！";
    ASSERT_EQ(owner_.messages, std::vector<std::string>{message});
    EXPECT_TRUE(program_.Exists("first.dll"));
    EXPECT_TRUE(server_.Count("/Blocked.dll?x=") == 3 && server_.Count("third.dll") == 0);
    EXPECT_EQ(program_.Read("UpdateError.log"), message + "\r\n");

    RunUpdate({{"one.dat", "one.dat", Content("one", 20000)},
               {"Quarnel.exe", "Quarnel.dll", Content("launcher", 5000), ChecksumTextOf("other")},
               {"three.dat", "three.dat", Content("three", 20000)}},
              kPlainFiles);
    EXPECT_EQ(owner_.messages.back(), "文件 Quarnel.exe 校验结果与服务器不匹配,请重新下载更新！");
    EXPECT_TRUE(owner_.lobbyStarts == 0 && program_.Exists("one.dat"));
    EXPECT_TRUE(!program_.Exists("UpdateDownLoad\\Quarnel.exe") && server_.Count("three.dat") == 0);
}

}  // namespace
}  // namespace gatevane
