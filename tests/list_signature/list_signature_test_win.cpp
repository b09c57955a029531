// The launcher's check of an update list's origin with the real CNG, in a fresh program folder,
// against lists the operator's tool signed with OpenSSL (make_fixtures.sh).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "launcher/update/list_signature_win.h"
#include "tests/support/test_folder.h"

namespace gatevane {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::TestFolder;

Bytes Fixture(const std::string& name) {
    const char* folder = std::getenv("GATEVANE_SIGNING_FIXTURES");
    if (!folder || !*folder) {
        throw std::runtime_error(
            "GATEVANE_SIGNING_FIXTURES is not set: run the test through ctest");
    }
    std::ifstream in(std::string(folder) + "\\" + name, std::ios::binary);
    if (!in) throw std::runtime_error("no fixture " + name);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

Bytes Flipped(Bytes bytes, std::size_t offset) {
    bytes.at(offset) ^= 0xff;
    return bytes;
}

class ListSignatureTest : public ::testing::Test {
protected:
    ListOriginVerdict Check(const Bytes& list, const Bytes* signature) const {
        return CheckListOrigin(folder_.path(), list.data(), list.size(),
                               signature ? signature->data() : nullptr,
                               signature ? signature->size() : 0);
    }
    void InstallKey() const { folder_.Write("UpdateKey.pem", Text(Fixture("UpdateKey.pem"))); }

    TestFolder folder_;
    const Bytes list_ = Fixture("Update.txt");
    const Bytes signature_ = Fixture("Update.txt.sig");
};

TEST_F(ListSignatureTest, SignedReleasesAreTakenAndNeverGoBack) {
    InstallKey();
    ASSERT_TRUE(UpdateKeyPresent(folder_.path()));
    const ListOriginVerdict first = Check(list_, &signature_);
    ASSERT_TRUE(first.accepted) << first.reason;
    EXPECT_EQ(first.serial, 5u);

    ASSERT_TRUE(RecordInstalledSerial(folder_.path(), first.serial));
    EXPECT_EQ(folder_.Read("UpdateSerial.ini"), "[Release]\r\nSerial=5\r\n");
    EXPECT_TRUE(Check(list_, &signature_).accepted) << "the same release fetched again";

    const Bytes older = Fixture("Older.txt.sig");
    const ListOriginVerdict refused = Check(Fixture("Older.txt"), &older);
    EXPECT_FALSE(refused.accepted);
    EXPECT_EQ(refused.reason,
              "update list refused: release 3 is older than release 5, already installed");
    ASSERT_TRUE(RecordInstalledSerial(folder_.path(), 3));
    EXPECT_EQ(InstalledSerial(folder_.path()), 5u) << "recording never lowers the serial";

    // A serial file that does not read counts as nothing installed yet.
    folder_.Write("UpdateSerial.ini", "[Release]\r\nSerial=5x\r\n");
    EXPECT_EQ(InstalledSerial(folder_.path()), 0u);
    EXPECT_TRUE(Check(Fixture("Older.txt"), &older).accepted);
}

TEST_F(ListSignatureTest, RefusesListsTheKeyDidNotSign) {
    InstallKey();
    const std::string mismatch =
        "update list refused: Update.txt.sig does not match the list and UpdateKey.pem";
    const Bytes stranger = Fixture("Stranger.txt.sig");
    const struct {
        const char* what;
        Bytes list;
        Bytes signature;
        std::string reason;
    } cases[] = {
        {"first byte of the list", Flipped(list_, 0), signature_, mismatch},
        {"a byte inside the list", Flipped(list_, list_.size() / 2), signature_, mismatch},
        {"last byte of the list", Flipped(list_, list_.size() - 1), signature_, mismatch},
        {"the serial", list_, Flipped(signature_, 6), mismatch},
        {"a byte of r", list_, Flipped(signature_, 10), mismatch},
        {"a byte of s", list_, Flipped(signature_, 73), mismatch},
        {"another hall's key", list_, stranger, mismatch},
        {"the magic", list_, Flipped(signature_, 0),
         "update list refused: Update.txt.sig: not a list signature (wrong magic)"},
        {"a cut signature", list_, Bytes(signature_.begin(), signature_.end() - 1),
         "update list refused: Update.txt.sig: 73 bytes, not 74"},
    };
    for (const auto& c : cases) {
        const ListOriginVerdict verdict = Check(c.list, &c.signature);
        EXPECT_FALSE(verdict.accepted) << c.what;
        EXPECT_EQ(verdict.reason, c.reason) << c.what;
    }

    const ListOriginVerdict unsignedList = Check(list_, nullptr);
    EXPECT_FALSE(unsignedList.accepted);
    EXPECT_EQ(unsignedList.reason,
              "update list refused: no Update.txt.sig on the server, and this hall takes only "
              "signed lists");
}

TEST_F(ListSignatureTest, AnUnusableKeyRefusesEveryList) {
    const std::string key = Text(Fixture("UpdateKey.pem"));
    // The last base64 group ("x?==") carries Y's last byte: another first character moves the
    // point off the curve while the file still reads.
    std::string offCurve = key;
    const std::size_t lastGroup = offCurve.find("==\n-----END") - 2;
    offCurve[lastGroup] = offCurve[lastGroup] == 'A' ? 'B' : 'A';
    const struct {
        const char* what;
        std::string file;
        const char* reason;
    } cases[] = {
        {"empty", "", "UpdateKey.pem: no \"-----BEGIN PUBLIC KEY-----\" line"},
        {"the private key", Text(Fixture("private.pem")), "UpdateKey.pem: no \"-----BEGIN"},
        // Windows refuses such a point when the key is imported, Wine's CNG only when verifying.
        {"off the curve", offCurve, "UpdateKey.pem"},
    };
    for (const auto& c : cases) {
        folder_.Write("UpdateKey.pem", c.file);
        ASSERT_TRUE(UpdateKeyPresent(folder_.path())) << c.what;
        const ListOriginVerdict verdict = Check(list_, &signature_);
        EXPECT_FALSE(verdict.accepted) << c.what;
        EXPECT_NE(verdict.reason.find(c.reason), std::string::npos)
            << c.what << ": " << verdict.reason;
    }

    ::DeleteFileA(folder_.Path("UpdateKey.pem").c_str());
    folder_.MakeFolder("UpdateKey.pem");
    EXPECT_TRUE(UpdateKeyPresent(folder_.path())) << "a folder in the key's place";
    EXPECT_EQ(Check(list_, &signature_).reason,
              "update list refused: UpdateKey.pem: cannot be read");
}

}  // namespace
}  // namespace gatevane
