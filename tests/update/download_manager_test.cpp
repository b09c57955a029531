// The download manager fetching, verifying and installing an update, from nginx and from the
// fault-injecting HTTP server (its /plain/ files are served as nginx would; /flaky/K/ fails K
// times).
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

using testing::HttpFaultServer;
using testing::PumpMessagesUntil;
using testing::TestFolder;
using testing::UnixPath;

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

    void OnUpdateListDone(bool) override {}
    void ShowUpdateFinished() override {}
    void ShowUpdateProgress(const UpdateProgress& now) override { progress.push_back(now); }
    void StartLobbyAfterUpdate() override { ++lobbyStarts; }
    void ShowUpdateStopped(const char* message) override { messages.push_back(message); }
    std::vector<std::string> messages;
};

class DownloadManagerTest : public ::testing::Test {
protected:
    struct File {
        std::string name;    // as in the update list
        std::string served;  // the file under the server's root
        std::string content;
        std::string checksum;  // empty: the content's
    };

    // Puts the files on the server and writes LobbyUpdate.log for them, then runs the update until
    // the lobby is started or a message stops it.
    void RunUpdate(const std::vector<File>& files, const std::string& base,
                   int expectedMessages = 0) {
        ToDoList toDo{base, {}};
        for (const File& file : files) {
            if (file.served.find('/') != std::string::npos) {
                root_.MakeFolder(file.served.substr(0, file.served.find_last_of('/')));
            }
            root_.Write(file.served, file.content);
            toDo.entries.push_back(
                {file.name, file.checksum.empty() ? ChecksumTextOf(file.content) : file.checksum});
        }
        program_.Write("LobbyUpdate.log", FormatToDoFile(toDo));

        DownloadManager manager(&owner_, nullptr, program_.path());
        ASSERT_TRUE(manager.Create());
        manager.LoadToDoList();
        ASSERT_TRUE(manager.StartDownloads());
        const int startsBefore = owner_.lobbyStarts;
        PumpMessagesUntil(20000, [&] {
            return owner_.lobbyStarts > startsBefore ||
                   (expectedMessages > 0 &&
                    static_cast<int>(owner_.messages.size()) >= expectedMessages);
        });
        PumpMessagesUntil(300, [] { return false; });  // nothing more should happen
    }

    TestFolder program_;
    TestFolder root_;
    testing::CurrentDirectory inProgram_{program_.path()};
    HttpFaultServer server_{{"--listen", kServer, "--root", UnixPath(root_.path())}};
    RecordingOwner owner_;
};

// As operators publish an update: files on a real web server, the launcher as Quarnel.dll.
TEST_F(DownloadManagerTest, FetchesVerifiesAndInstallsFilesInNestedFolders) {
    testing::NginxServer nginx({"--listen", "127.0.0.33:8033", "--root", UnixPath(root_.path())});
    const std::vector<File> files = {
        {"Lobby.dll", "files/Lobby.dll", Content("lobby", 300000), ""},
        {"TesselRes/Skin/Login/bg.png", "files/TesselRes/Skin/Login/bg.png", Content("bg", 5000),
         ""},
        {"Quarnel.exe", "files/Quarnel.dll", Content("launcher", 70000), ""},
    };
    RunUpdate(files, "http://127.0.0.33:8033/files/");

    EXPECT_EQ(owner_.lobbyStarts, 1) << nginx.Log();
    EXPECT_TRUE(owner_.messages.empty());
    EXPECT_TRUE(program_.Read("Lobby.dll") == files[0].content);
    EXPECT_TRUE(program_.Read("TesselRes\\Skin\\Login\\bg.png") == files[1].content);
    EXPECT_FALSE(program_.Exists("UpdateDownLoad\\Lobby.dll"));
    EXPECT_FALSE(program_.Exists("UpdateDownLoad\\TesselRes\\Skin\\Login\\bg.png"));
    // The launcher is not installed over the running one: start-up swaps in the verified copy.
    EXPECT_TRUE(program_.Read("UpdateDownLoad\\Quarnel.exe") == files[2].content);
    EXPECT_FALSE(program_.Exists("Quarnel.exe"));
    EXPECT_FALSE(program_.Exists("UpdateDownLoad\\Quarnel.dll"));
    EXPECT_EQ(nginx.Count("/Quarnel.dll?x="), 1) << "the launcher is fetched as .dll";

    ASSERT_FALSE(owner_.progress.empty());
    EXPECT_EQ(owner_.progress.back().fileCount, 3);
    EXPECT_LT(owner_.progress.size(), 60u) << "progress is throttled";
    int filesWithAllBytes = 0;
    for (const UpdateProgress& step : owner_.progress) {
        filesWithAllBytes += step.total > 0 && step.received == step.total;
    }
    EXPECT_GE(filesWithAllBytes, 3) << "the end of every file is shown";
}

TEST_F(DownloadManagerTest, AFileThatFailsTwiceIsResumedAndCountsOnce) {
    const File flaky = {"flaky/2/Game.dll", "Game.dll", Content("game", 200000), ""};
    RunUpdate({flaky}, kServerRoot);

    EXPECT_EQ(owner_.lobbyStarts, 1);
    EXPECT_TRUE(program_.Read("flaky\\2\\Game.dll") == flaky.content);
    EXPECT_EQ(server_.Count("/Game.dll?x="), 3) << server_.Log();
    EXPECT_EQ(server_.Count("range=bytes="), 2) << "the second and third attempts resume";
    EXPECT_EQ(owner_.progress.back().filesDone, 0);
}

TEST_F(DownloadManagerTest, FilesOfTheSameNameInTwoFoldersAndEmptyFilesArriveIntact) {
    const std::vector<File> files = {
        {"a/x.dat", "a/x.dat", Content("first x", 30000), ""},
        {"b/x.dat", "b/x.dat", Content("second x", 20000), ""},
        {"sub\\x.dat", "sub/x.dat", Content("third x", 10000), ""},
        {"empty.dat", "empty.dat", "", ""},
    };
    program_.Write("empty.dat", "old bytes");
    RunUpdate(files, kPlainFiles);

    EXPECT_EQ(owner_.lobbyStarts, 1);
    EXPECT_TRUE(owner_.messages.empty());
    EXPECT_TRUE(program_.Read("a\\x.dat") == files[0].content);
    EXPECT_TRUE(program_.Read("b\\x.dat") == files[1].content);
    EXPECT_TRUE(program_.Read("sub\\x.dat") == files[2].content);
    EXPECT_EQ(program_.Read("empty.dat"), "");
}

// A retried file resumes where it stopped, the launcher and a base address without a trailing
// slash included, and a server that answers a resumption with the whole file is taken at its word.
TEST_F(DownloadManagerTest, RetriesResumeAndTheLauncherWaitsOnlyOnceVerified) {
    RunUpdate({{"Quarnel.exe", "Quarnel.dll", Content("launcher", 90000), ""}},
              std::string(kServerRoot) + "flaky/1/");
    EXPECT_EQ(owner_.lobbyStarts, 1);
    EXPECT_EQ(server_.Count("/flaky/1/Quarnel.dll?x="), 2) << server_.Log();
    EXPECT_EQ(server_.Count("range=bytes=45000-"), 1) << "resumed after the first half";
    EXPECT_TRUE(program_.Read("UpdateDownLoad\\Quarnel.exe") == Content("launcher", 90000));

    RunUpdate({{"data/x.bin", "data/x.bin", Content("x", 50000), ""}},
              std::string(kServerRoot) + "flaky/1");
    EXPECT_EQ(server_.Count("range=bytes=25000-"), 1) << server_.Log();
    EXPECT_TRUE(program_.Read("data\\x.bin") == Content("x", 50000));

    RunUpdate({{"y.bin", "y.bin", Content("y", 40000), ""}},
              std::string(kServerRoot) + "flakywhole/1/");
    EXPECT_EQ(server_.Count("range=bytes=20000-"), 1) << server_.Log();
    EXPECT_TRUE(program_.Read("y.bin") == Content("y", 40000)) << "written again from byte 0";
    EXPECT_EQ(owner_.lobbyStarts, 3);
}

TEST_F(DownloadManagerTest, ALauncherThatFailsItsCheckNeverWaitsForStartUp) {
    RunUpdate({{"Quarnel.exe", "Quarnel.dll", Content("launcher", 5000), ChecksumTextOf("other")}},
              kPlainFiles, 1);
    EXPECT_EQ(owner_.messages.size(), 1u);
    EXPECT_FALSE(program_.Exists("UpdateDownLoad\\Quarnel.exe"));
}

TEST_F(DownloadManagerTest, AResumptionAnsweredAtTheWrongOffsetMakesTheNextAttemptStartOver) {
    RunUpdate({{"z.bin", "z.bin", Content("z", 30000), ""}},
              std::string(kServerRoot) + "flakybadrange/1/");
    EXPECT_EQ(owner_.lobbyStarts, 1) << server_.Log();
    EXPECT_EQ(server_.Count("/z.bin?x="), 3);
    EXPECT_EQ(server_.Count("range=bytes="), 1) << "the third attempt asks from byte 0";
    EXPECT_TRUE(program_.Read("z.bin") == Content("z", 30000));
}

TEST_F(DownloadManagerTest, AThirdFailureStopsTheUpdateButInstallsWhatWasVerified) {
    RunUpdate({{"plain/first.dll", "first.dll", Content("first", 1000), ""},
               {"flaky/5/second.dll", "second.dll", Content("second", 50000), ""},
               {"plain/third.dll", "third.dll", Content("third", 1000), ""}},
              kServerRoot, 1);

    const std::string message = "文件 flaky/5/second.dll 无法下载,可能由网络原因造成,请稍后重试！";
    ASSERT_EQ(owner_.messages, std::vector<std::string>{message});
    EXPECT_EQ(owner_.lobbyStarts, 0);
    EXPECT_TRUE(program_.Exists("plain\\first.dll"));
    EXPECT_FALSE(program_.Exists("flaky\\5\\second.dll"));
    EXPECT_EQ(server_.Count("/second.dll?x="), 3);
    EXPECT_EQ(server_.Count("third.dll"), 0);
    EXPECT_EQ(program_.Read("UpdateError.log"), message + "\r\n");
}

TEST_F(DownloadManagerTest, AChecksumMismatchStopsTheUpdateAtThatFile) {
    std::vector<File> files;
    for (const char* name : {"one", "two", "three", "four", "five"}) {
        files.push_back(
            {std::string(name) + ".dat", std::string(name) + ".dat", Content(name, 20000), ""});
    }
    files[2].checksum = ChecksumTextOf("something else");
    RunUpdate(files, kPlainFiles, 1);

    const std::string message = "文件 three.dat 校验结果与服务器不匹配,请重新下载更新！";
    ASSERT_EQ(owner_.messages, std::vector<std::string>{message});
    EXPECT_EQ(owner_.lobbyStarts, 0);
    EXPECT_TRUE(program_.Exists("one.dat") && program_.Exists("two.dat"));
    EXPECT_FALSE(program_.Exists("three.dat"));
    EXPECT_TRUE(program_.Exists("UpdateDownLoad\\three.dat"));
    EXPECT_EQ(server_.Count("four.dat") + server_.Count("five.dat"), 0);
    EXPECT_EQ(program_.Read("UpdateError.log"), message + "\r\n");
}

TEST_F(DownloadManagerTest, AFileInUseIsMovedAsideAndReplaced) {
    program_.CopyBuilt("pet_standin.exe", "Helper.exe");
    const std::string old = program_.Read("Helper.exe");
    UniqueKernelHandle running =
        testing::StartProgram(program_.Path("Helper.exe"), program_.path());
    ASSERT_TRUE(running);
    const File update = {"Helper.exe", "Helper.exe", Content("new helper", 40000), ""};
    RunUpdate({update}, kPlainFiles);
    ::TerminateProcess(running.get(), 0);

    EXPECT_EQ(owner_.lobbyStarts, 1);
    EXPECT_TRUE(program_.Read("Helper.exe") == update.content);
    if (program_.Exists("UpdateDownLoad\\Helper.exe.old")) {
        EXPECT_TRUE(program_.Read("UpdateDownLoad\\Helper.exe.old") == old);
    }
}

TEST_F(DownloadManagerTest, AFileThatCannotBeStoredCountsAsAFailedAttempt) {
    program_.MakeFolder("UpdateDownLoad\\Blocked.dll");  // a folder where the file would go
    RunUpdate({{"Blocked.dll", "Blocked.dll", Content("blocked", 1000), ""}}, kPlainFiles, 1);

    EXPECT_EQ(owner_.messages, std::vector<std::string>{
                                   "文件 Blocked.dll 无法下载,可能由网络原因造成,请稍后重试！"});
    EXPECT_EQ(server_.Count("/Blocked.dll?x="), 3);
    EXPECT_EQ(owner_.lobbyStarts, 0);
}

}  // namespace
}  // namespace gatevane
