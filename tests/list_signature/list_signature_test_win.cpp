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

Bytes Fixture(const std::string& name) {
    const char* folder = std::getenv("GATEVANE_SIGNING_FIXTURES");
    if (!folder || !*folder) throw std::runtime_error("no GATEVANE_SIGNING_FIXTURES: run ctest");
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
    ListSignatureTest() { folder_.Write("UpdateKey.pem", Text(Fixture("UpdateKey.pem"))); }
    ListOriginVerdict Check(const Bytes& list, const Bytes& signature) const {
        return CheckListOrigin(folder_.path(), list.data(), list.size(), signature.data(),
                               signature.size());
    }

    testing::TestFolder folder_;
    const Bytes list_ = Fixture("Update.txt");
    const Bytes signature_ = Fixture("Update.txt.sig");
};

// The update list loader's tests see an older release refused after a newer one.
TEST_F(ListSignatureTest, SignedReleasesAreTakenAndTheInstalledSerialNeverGoesBack) {
    const ListOriginVerdict first = Check(list_, signature_);
    ASSERT_TRUE(first.accepted && first.serial == 5u) << first.reason << first.serial;
    ASSERT_TRUE(RecordInstalledSerial(folder_.path(), first.serial));
    EXPECT_EQ(folder_.Read("UpdateSerial.ini"), "[Release]\r\nSerial=5\r\n");
    ASSERT_TRUE(RecordInstalledSerial(folder_.path(), 3));
    EXPECT_EQ(InstalledSerial(folder_.path()), 5u) << "recording never lowers the serial";

    // A serial file that does not read counts as nothing installed yet.
    folder_.Write("UpdateSerial.ini", "[Release]\r\nSerial=5x\r\n");
    EXPECT_TRUE(Check(Fixture("Older.txt"), Fixture("Older.txt.sig")).accepted);
}

// Any byte of the list or of the signed serial, r or s changed, or another hall's key, fails CNG's
// check; malformed signatures and keys are the core's to refuse.
TEST_F(ListSignatureTest, RefusesListsTheKeyDidNotSign) {
    const struct {
        const char* what;
        Bytes list, signature;
    } cases[] = {
        {"first byte of the list", Flipped(list_, 0), signature_},
        {"a byte inside the list", Flipped(list_, list_.size() / 2), signature_},
        {"last byte of the list", Flipped(list_, list_.size() - 1), signature_},
        {"the serial", list_, Flipped(signature_, 6)},
        {"a byte of r", list_, Flipped(signature_, 10)},
        {"a byte of s", list_, Flipped(signature_, 73)},
        {"another hall's key", list_, Fixture("Stranger.txt.sig")},
    };
    for (const auto& c : cases) {
        const ListOriginVerdict verdict = Check(c.list, c.signature);
        EXPECT_EQ(verdict.accepted ? "accepted" : verdict.reason,
                  "update list refused: Update.txt.sig does not match the list and UpdateKey.pem")
            << c.what;
    }
}

TEST_F(ListSignatureTest, AKeyOffTheCurveOrThatCannotBeReadRefusesEveryList) {
    // The last base64 group ("x?==") carries Y's last byte: another first character moves the
    // point off the curve while the file still reads. Windows refuses such a point when the key is
    // imported, Wine's CNG only when verifying.
    std::string offCurve = Text(Fixture("UpdateKey.pem"));
    const std::size_t lastGroup = offCurve.find("==\n-----END") - 2;
    offCurve[lastGroup] = offCurve[lastGroup] == 'A' ? 'B' : 'A';
    folder_.Write("UpdateKey.pem", offCurve);
    const ListOriginVerdict verdict = Check(list_, signature_);
    EXPECT_TRUE(!verdict.accepted && verdict.reason.find("UpdateKey.pem") != std::string::npos)
        << verdict.reason;

    ::DeleteFileA(folder_.Path("UpdateKey.pem").c_str());
    folder_.MakeFolder("UpdateKey.pem");
    EXPECT_TRUE(UpdateKeyPresent(folder_.path())) << "a folder in the key's place";
    EXPECT_EQ(Check(list_, signature_).reason,
              "update list refused: UpdateKey.pem: cannot be read");
}

}  // namespace
}  // namespace gatevane
