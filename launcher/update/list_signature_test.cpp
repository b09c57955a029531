#include "launcher/update/list_signature.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace gatevane {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A P-256 public key as `openssl ec -pubout` wrote it, and its point.
const char kOpensslKey[] =
    "-----BEGIN PUBLIC KEY-----\n"
    "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEPshjjqgwMk9jrHfCZ6q+FHh55HRr\n"
    "bW96s00K69a/n/ioX26EZX8a/nEVa+0XRLCdQ/VlNxetktF+fWVEkMpi2A==\n"
    "-----END PUBLIC KEY-----\n";
const char kOpensslPointHex[] =
    "043ec8638ea830324f63ac77c267aabe147879e4746b6d6f7ab34d0aebd6bf9ff8a85f6e84657f1afe71156bed17"
    "44b09d43f5653717ad92d17e7d654490ca62d8";

std::string Hex(const std::uint8_t* bytes, std::size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (std::size_t i = 0; i < size; ++i) {
        hex += digits[bytes[i] >> 4];
        hex += digits[bytes[i] & 0xf];
    }
    return hex;
}

// `text` with every `from` replaced by `to`; `from` must occur.
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    for (; at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

ListSignature Sample() {
    ListSignature signature;
    signature.serial = 0x01020304;
    for (std::size_t i = 0; i < signature.signature.size(); ++i) {
        signature.signature[i] = static_cast<std::uint8_t>(0xa0 + i);
    }
    return signature;
}

TEST(ListSignatureFile, WritesTheDocumentedLayoutAndReadsItBack) {
    const Bytes file = WriteListSignature(Sample());
    ASSERT_EQ(file.size(), kListSignatureFileSize);
    EXPECT_EQ(Hex(file.data(), kSignatureHeaderSize),
              "47564c53"
              "0100"
              "04030201");
    EXPECT_EQ(file[10], 0xa0);
    EXPECT_EQ(file[73], 0xa0 + 63);

    const ListSignatureResult read = ReadListSignature(file.data(), file.size());
    ASSERT_TRUE(read.signature) << read.reason;
    EXPECT_EQ(read.signature->serial, 0x01020304u);
    EXPECT_EQ(read.signature->signature, Sample().signature);

    const Bytes list = {'z', 0, 'x'};
    const Bytes message = SignedMessage(MakeSignatureHeader(0x01020304), list.data(), list.size());
    Bytes expected(file.begin(), file.begin() + kSignatureHeaderSize);
    expected.insert(expected.end(), list.begin(), list.end());
    EXPECT_EQ(message, expected);
}

TEST(ListSignatureFile, RefusesMalformedFilesWithTheirReason) {
    const Bytes good = WriteListSignature(Sample());
    struct Case {
        const char* what;
        Bytes file;
        const char* reason;
    };
    Bytes cut(good.begin(), good.end() - 1);
    Bytes longer = good;
    longer.push_back(0);
    Bytes magic = good;
    magic[3] = 'X';
    Bytes version = good;
    version[4] = 2;
    ListSignature zero = Sample();
    zero.serial = 0;
    const Case cases[] = {
        {"empty", {}, "Update.txt.sig: 0 bytes, not 74"},
        {"one byte short", cut, "Update.txt.sig: 73 bytes, not 74"},
        {"one byte over", longer, "Update.txt.sig: 75 bytes, not 74"},
        {"wrong magic", magic, "Update.txt.sig: not a list signature (wrong magic)"},
        {"version 2", version, "Update.txt.sig: format version 2, this launcher reads version 1"},
        {"serial 0", WriteListSignature(zero),
         "Update.txt.sig: release serial 0; serials start at 1"},
    };
    for (const Case& c : cases) {
        const ListSignatureResult read = ReadListSignature(c.file.data(), c.file.size());
        EXPECT_FALSE(read.signature) << c.what;
        EXPECT_NE(read.reason.find(c.reason), std::string::npos) << c.what << ": " << read.reason;
    }
}

TEST(UpdateKeyFile, TakesTheKeyOpensslWrites) {
    const std::string spaced =
        "a label before\r\n" +
        Replaced(Replaced(kOpensslKey, "\n", "\r\n"), "Rr\r\n", "Rr \t\r\n") + "trailing text\n";
    for (const std::string& text : {std::string(kOpensslKey), spaced}) {
        const UpdateKeyResult key = ReadUpdateKey(text);
        ASSERT_TRUE(key.point) << key.reason;
        EXPECT_EQ(Hex(key.point->data(), key.point->size()), kOpensslPointHex);
    }
}

TEST(UpdateKeyFile, RefusesWhatIsNotAnUncompressedP256Key) {
    const std::string key = kOpensslKey;
    const struct {
        const char* what;
        std::string text;
        const char* reason;
    } cases[] = {
        {"empty", "", "UpdateKey.pem: no \"-----BEGIN PUBLIC KEY-----\" line"},
        {"a private key",
         Replaced(Replaced(key, "BEGIN PUBLIC", "BEGIN EC PRIVATE"), "END PUBLIC",
                  "END EC PRIVATE"),
         "no \"-----BEGIN PUBLIC KEY-----\" line"},
        {"no end line", key.substr(0, key.find("-----END")),
         "no \"-----END PUBLIC KEY-----\" line"},
        {"a stray character", Replaced(key, "MFkw", "MF*w"), "not valid base64"},
        {"padding inside", Replaced(key, "MFkw", "MF=w"), "not valid base64"},
        {"missing padding", Replaced(key, "2A==", "2A"), "not valid base64"},
        {"one character short", Replaced(key, "2A==", "2==="), "not valid base64"},
        {"a line lost",
         Replaced(key, "bW96s00K69a/n/ioX26EZX8a/nEVa+0XRLCdQ/VlNxetktF+fWVEkMpi2A==\n", ""),
         "not a P-256 public key"},
        {"compressed point",
         "-----BEGIN PUBLIC KEY-----\n"
         "MDkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDIgACPshjjqgwMk9jrHfCZ6q+FHh55HRr\n"
         "bW96s00K69a/n/g=\n"
         "-----END PUBLIC KEY-----\n",
         "not a P-256 public key with its point uncompressed"},
        {"P-384",
         "-----BEGIN PUBLIC KEY-----\n"
         "MHYwEAYHKoZIzj0CAQYFK4EEACIDYgAE4vxHJ+p4lpZj5b6SVKuV+YFdPSlkPeeO\n"
         "cm13H/ooeB9DevEgRhvRhJznMss0VXl++sFuYziDVxRJ6apO7s8cS9LxiIT6Oten\n"
         "ZzAZps1XRnQlZ9+uA/9Agt8Ye/YUW7Zu\n"
         "-----END PUBLIC KEY-----\n",
         "not a P-256 public key"},
        // The point's tag changed from 0x04 (uncompressed) to 0x06 ("QgAE" -> "QgAG").
        {"hybrid point tag", Replaced(key, "QgAE", "QgAG"), "point uncompressed"},
        {"over 4096 bytes", key + std::string(4096, '\n'), "UpdateKey.pem: over 4096 bytes"},
    };
    for (const auto& c : cases) {
        const UpdateKeyResult read = ReadUpdateKey(c.text);
        EXPECT_FALSE(read.point) << c.what;
        EXPECT_NE(read.reason.find(c.reason), std::string::npos) << c.what << ": " << read.reason;
    }
}

TEST(InstalledSerial, ReadsDecimalU32AndEverythingElseAsZero) {
    EXPECT_EQ(ReadSerialText("7"), 7u);
    EXPECT_EQ(ReadSerialText("0000000012"), 12u);
    EXPECT_EQ(ReadSerialText("4294967295"), 4294967295u);
    for (const char* text :
         {"", "4294967296", "99999999999", "00000000001", "-1", "+1", " 5", "5 ", "0x10", "12a"}) {
        EXPECT_EQ(ReadSerialText(text), 0u) << "'" << text << "'";
    }
}

// Facts of a hall with a key and a well-formed signature of release `serial`.
ListOriginFacts Signed(std::uint32_t serial, bool matches, std::uint32_t installed) {
    ListOriginFacts facts;
    facts.key = UpdateKeyState::kLoaded;
    facts.signatureFetched = true;
    facts.signature.signature = ListSignature{serial, {}};
    facts.signatureMatches = matches;
    facts.installedSerial = installed;
    return facts;
}

TEST(ListOrigin, TakesUnsignedListsOnlyWithoutKeyAndSignedOnesThatMatchAndDoNotGoBack) {
    ListOriginFacts malformedKey = Signed(9, true, 0);
    malformedKey.key = UpdateKeyState::kMalformed;
    malformedKey.keyReason = "UpdateKey.pem: not valid base64";
    ListOriginFacts notFetched = Signed(9, true, 0);
    notFetched.signatureFetched = false;
    ListOriginFacts unreadable = Signed(9, true, 0);
    unreadable.signature = {std::nullopt, "Update.txt.sig: 3 bytes, not 74"};
    const struct {
        const char* what;
        ListOriginFacts facts;
        std::uint32_t serial;  // 0 when refused or unsigned
        const char* reason;    // empty when accepted
    } cases[] = {
        {"no key", ListOriginFacts{}, 0, ""},
        {"first release", Signed(1, true, 0), 1, ""},
        {"same release again", Signed(5, true, 5), 5, ""},
        {"newer release", Signed(4294967295u, true, 4294967294u), 4294967295u, ""},
        {"malformed key", malformedKey, 0, "update list refused: UpdateKey.pem: not valid base64"},
        {"no signature", notFetched, 0,
         "update list refused: no Update.txt.sig on the server, and this hall takes only "
         "signed lists"},
        {"unreadable signature", unreadable, 0,
         "update list refused: Update.txt.sig: 3 bytes, not 74"},
        {"wrong signature", Signed(9, false, 0), 0,
         "update list refused: Update.txt.sig does not match the list and UpdateKey.pem"},
        {"older release", Signed(4, true, 5), 0,
         "update list refused: release 4 is older than release 5, already installed"},
    };
    for (const auto& c : cases) {
        const ListOriginVerdict verdict = JudgeListOrigin(c.facts);
        EXPECT_EQ(verdict.accepted, *c.reason == '\0') << c.what;
        EXPECT_EQ(verdict.reason, c.reason) << c.what;
        EXPECT_EQ(verdict.serial, c.serial) << c.what;
    }
}

}  // namespace
}  // namespace gatevane
