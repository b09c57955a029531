#include "launcher/update/list_signature.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/hex_text.h"

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
    return testing::EncodeHex(std::string(bytes, bytes + size));
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

// Facts of a hall with a key and a well-formed signature of release `serial`.
ListOriginFacts Signed(std::uint32_t serial, bool matches, std::uint32_t installed) {
    return {UpdateKeyState::kLoaded, "", true, {ListSignature{serial, {}}, ""}, matches, installed};
}

std::string Verdict(const ListOriginFacts& facts) {
    const ListOriginVerdict verdict = JudgeListOrigin(facts);
    return verdict.accepted ? "release " + std::to_string(verdict.serial) : verdict.reason;
}

TEST(ListSignature, FilesAreReadOnlyInTheirLayoutsAndListsTakenOnlyWhenSignedWhereAKeyIs) {
    ListSignature sample{0x01020304, {}};
    for (std::size_t i = 0; i < sample.signature.size(); ++i) sample.signature[i] = 0xa0 + i;
    const Bytes file = WriteListSignature(sample);
    ASSERT_EQ(file.size(), kListSignatureFileSize);
    // Magic "GVLS", version 1, serial, then the signature; numbers little-endian.
    EXPECT_EQ(Hex(file.data(), 12), "47564c53010004030201a0a1");
    EXPECT_EQ(file[73], 0xa0 + 63);
    const ListSignatureResult read = ReadListSignature(file.data(), file.size());
    ASSERT_TRUE(read.signature) << read.reason;
    EXPECT_EQ(read.signature->serial, 0x01020304u);
    EXPECT_EQ(read.signature->signature, sample.signature);

    const std::uint8_t list[] = {'z', 0, 'x'};
    const Bytes message = SignedMessage(MakeSignatureHeader(0x01020304), list, sizeof list);
    EXPECT_EQ(Hex(message.data(), message.size()),
              Hex(file.data(), kSignatureHeaderSize) + "7a0078");

    const auto changed = [&file](std::size_t at, std::uint8_t byte) {
        Bytes bytes = file;
        bytes.resize(std::max(bytes.size(), at + 1));
        bytes[at] = byte;
        return bytes;
    };
    const std::pair<Bytes, std::string> cases[] = {
        {{}, "0 bytes, not 74"},
        {Bytes(file.begin(), file.end() - 1), "73 bytes, not 74"},
        {changed(74, 0), "75 bytes, not 74"},
        {changed(3, 'X'), "not a list signature (wrong magic)"},
        {changed(4, 2), "format version 2, this launcher reads version 1"},
        {WriteListSignature({0, sample.signature}), "release serial 0; serials start at 1"},
    };
    for (const auto& [bad, reason] : cases) {
        const ListSignatureResult refused = ReadListSignature(bad.data(), bad.size());
        EXPECT_FALSE(refused.signature) << reason;
        EXPECT_EQ(refused.reason, "Update.txt.sig: " + reason);
    }
    // The update key as openssl writes it, whatever the line ends and text around it.
    const std::string spaced =
        "a label before\r\n" +
        Replaced(Replaced(kOpensslKey, "\n", "\r\n"), "Rr\r\n", "Rr \t\r\n") + "trailing text\n";
    for (const std::string& text : {std::string(kOpensslKey), spaced}) {
        const UpdateKeyResult key = ReadUpdateKey(text);
        ASSERT_TRUE(key.point) << key.reason;
        EXPECT_EQ(Hex(key.point->data(), key.point->size()), kOpensslPointHex);
    }
    const std::string key = kOpensslKey;
    const std::pair<std::string, const char*> keys[] = {
        {"", "UpdateKey.pem: no \"-----BEGIN PUBLIC KEY-----\" line"},
        {Replaced(Replaced(key, "BEGIN PUBLIC", "BEGIN EC PRIVATE"), "END PUBLIC",
                  "END EC PRIVATE"),
         "no \"-----BEGIN PUBLIC KEY-----\" line"},
        {key.substr(0, key.find("-----END")), "no \"-----END PUBLIC KEY-----\" line"},
        {Replaced(key, "MFkw", "MF*w"), "not valid base64"},
        {Replaced(key, "2A==", "2==="), "not valid base64"},
        {"-----BEGIN PUBLIC KEY-----\n"
         "MDkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDIgACPshjjqgwMk9jrHfCZ6q+FHh55HRr\n"
         "bW96s00K69a/n/g=\n"
         "-----END PUBLIC KEY-----\n",
         "not a P-256 public key with its point uncompressed"},
        {"-----BEGIN PUBLIC KEY-----\n"
         "MHYwEAYHKoZIzj0CAQYFK4EEACIDYgAE4vxHJ+p4lpZj5b6SVKuV+YFdPSlkPeeO\n"
         "cm13H/ooeB9DevEgRhvRhJznMss0VXl++sFuYziDVxRJ6apO7s8cS9LxiIT6Oten\n"
         "ZzAZps1XRnQlZ9+uA/9Agt8Ye/YUW7Zu\n"
         "-----END PUBLIC KEY-----\n",
         "not a P-256 public key"},
        // The point's tag changed from 0x04 (uncompressed) to 0x06 ("QgAE" -> "QgAG").
        {Replaced(key, "QgAE", "QgAG"), "point uncompressed"},
        {key + std::string(4096, '\n'), "UpdateKey.pem: over 4096 bytes"},
    };
    for (const auto& [text, reason] : keys) {
        const UpdateKeyResult refused = ReadUpdateKey(text);
        EXPECT_FALSE(refused.point) << reason;
        EXPECT_NE(refused.reason.find(reason), std::string::npos) << refused.reason;
    }
    // Serials installed are decimal u32 text, anything else counting as none (zero).
    std::string serials;
    for (const char* text : {"7", "0000000012", "4294967295", "", "4294967296", "99999999999",
                             "00000000001", "-1", "+1", " 5", "5 ", "0x10", "12a"}) {
        serials += std::to_string(ReadSerialText(text)) + " ";
    }
    EXPECT_EQ(serials, "7 12 4294967295 0 0 0 0 0 0 0 0 0 0 ");
    ListOriginFacts malformedKey = Signed(9, true, 0);
    malformedKey.key = UpdateKeyState::kMalformed;
    malformedKey.keyReason = "UpdateKey.pem: not valid base64";
    ListOriginFacts notFetched = Signed(9, true, 0);
    notFetched.signatureFetched = false;
    ListOriginFacts unreadable = Signed(9, true, 0);
    unreadable.signature = {std::nullopt, "Update.txt.sig: 3 bytes, not 74"};
    const std::string refused = "update list refused: ";
    const std::pair<ListOriginFacts, std::string> origins[] = {
        {ListOriginFacts{}, "release 0"},  // no key: unsigned
        {Signed(1, true, 0), "release 1"},
        {Signed(5, true, 5), "release 5"},
        {Signed(4294967295u, true, 4294967294u), "release 4294967295"},
        {malformedKey, refused + "UpdateKey.pem: not valid base64"},
        {notFetched,
         refused + "no Update.txt.sig on the server, and this hall takes only signed lists"},
        {unreadable, refused + "Update.txt.sig: 3 bytes, not 74"},
        {Signed(9, false, 0), refused + "Update.txt.sig does not match the list and UpdateKey.pem"},
        {Signed(4, true, 5), refused + "release 4 is older than release 5, already installed"}};
    for (const auto& [facts, verdict] : origins) EXPECT_EQ(Verdict(facts), verdict);
}

}  // namespace
}  // namespace gatevane
