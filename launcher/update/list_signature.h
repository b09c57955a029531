#pragma once
// The signed update list: a hall that ships a public key (UpdateKey.pem) in its program folder
// takes an update list only with a detached signature (Update.txt.sig, served beside Update.txt)
// made by the matching private key, which the operator keeps off the update server. Halls without
// the key take unsigned lists as before.
//
// Update.txt.sig, 74 bytes, integers little-endian like the list itself:
//   offset 0   4 bytes   magic "GVLS"
//   offset 4   u16       format version, 1
//   offset 6   u32       release serial, 1..4294967295; every release gets a larger one
//   offset 10  64 bytes  ECDSA P-256 signature: r then s, 32 bytes each, big-endian (the form
//                        Windows CNG verifies)
// The first 10 bytes are the signature's header. What is signed (ECDSA over SHA-256) is the header
// followed by the list's exact bytes as served, so the serial cannot be changed either.
//
// UpdateKey.pem is the public key as `openssl` writes it: PEM "PUBLIC KEY", a SubjectPublicKeyInfo
// of a P-256 key with its point uncompressed (91 bytes of DER: a fixed 26-byte prefix, then
// 0x04 || X || Y).
//
// The serial defends against replay: the launcher keeps the serial of the last release it
// accepted and refuses a signed list with a lower one, so a server cannot hand out an older signed
// release with known faults. The same serial is taken again (the same release fetched twice).
//
// Everything read here is untrusted: a refusal says why in one English line for UpdateError.log.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gatevane {

// The files: the key and the serial in the program folder, the signature beside the list on the
// update server.
constexpr char kUpdateKeyFileName[] = "UpdateKey.pem";
constexpr char kUpdateSerialFileName[] = "UpdateSerial.ini";
constexpr char kListSignatureFileName[] = "Update.txt.sig";

constexpr std::size_t kSignatureHeaderSize = 10;
constexpr std::size_t kEcdsaP256SignatureSize = 64;
constexpr std::size_t kListSignatureFileSize = kSignatureHeaderSize + kEcdsaP256SignatureSize;
constexpr std::uint16_t kListSignatureVersion = 1;
constexpr char kListSignatureMagic[4] = {'G', 'V', 'L', 'S'};

// The DER of a P-256 SubjectPublicKeyInfo up to its point: SEQUENCE { SEQUENCE { id-ecPublicKey,
// prime256v1 }, BIT STRING of 66 bytes (no unused bits, then the point) }.
constexpr std::array<std::uint8_t, 26> kP256PublicKeyInfoPrefix = {
    0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2a, 0x86, 0x48, 0xce, 0x3d, 0x02, 0x01,
    0x06, 0x08, 0x2a, 0x86, 0x48, 0xce, 0x3d, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00};
// An uncompressed point: 0x04, X and Y, 32 bytes each, big-endian.
constexpr std::size_t kP256PointSize = 65;
// The key file is a few lines; anything longer is not one.
constexpr std::size_t kMaxUpdateKeyFileSize = 4096;

using P256Point = std::array<std::uint8_t, kP256PointSize>;
using EcdsaP256Signature = std::array<std::uint8_t, kEcdsaP256SignatureSize>;
using SignatureHeader = std::array<std::uint8_t, kSignatureHeaderSize>;

struct ListSignature {
    std::uint32_t serial = 0;
    EcdsaP256Signature signature{};
};

// Either a signature, or none and the reason, such as "Update.txt.sig: 73 bytes, not 74".
struct ListSignatureResult {
    std::optional<ListSignature> signature;
    std::string reason;
};

// Reads Update.txt.sig: refuses a file of another size, another magic or version, or serial 0.
ListSignatureResult ReadListSignature(const std::uint8_t* data, std::size_t size);

// The header of a signature for the release `serial`.
SignatureHeader MakeSignatureHeader(std::uint32_t serial);

// The 74 bytes of Update.txt.sig.
std::vector<std::uint8_t> WriteListSignature(const ListSignature& signature);

// What the signature covers: `header` followed by the list's bytes.
std::vector<std::uint8_t> SignedMessage(const SignatureHeader& header, const std::uint8_t* list,
                                        std::size_t listSize);

// Either the key's point, or none and the reason, such as "UpdateKey.pem: not a P-256 key".
struct UpdateKeyResult {
    std::optional<P256Point> point;
    std::string reason;
};

// Reads the text of UpdateKey.pem: one "PUBLIC KEY" block (text around it is ignored, as openssl
// does), base64 with line breaks, holding a P-256 SubjectPublicKeyInfo with an uncompressed point.
UpdateKeyResult ReadUpdateKey(std::string_view text);

// The serial the launcher last recorded, as its settings file holds it in text: decimal digits
// only, 1 to 10 of them, at most 4294967295. Anything else (a sign, spaces, letters, a larger
// number) reads as 0, which refuses no release.
std::uint32_t ReadSerialText(std::string_view text);

// What the launcher found out about a downloaded list's origin.
enum class UpdateKeyState : std::uint8_t {
    kAbsent,     // no UpdateKey.pem: the hall takes unsigned lists
    kLoaded,     // a key to check the signature with
    kMalformed,  // UpdateKey.pem is there but unusable: the operator meant to sign, so refuse
};

struct ListOriginFacts {
    UpdateKeyState key = UpdateKeyState::kAbsent;
    std::string keyReason;  // why a malformed key was refused
    // Whether Update.txt.sig was fetched, and when it was, what its reader made of it.
    bool signatureFetched = false;
    ListSignatureResult signature;
    // When a key was loaded and the signature read: whether it verified over the list.
    bool signatureMatches = false;
    std::uint32_t installedSerial = 0;
};

struct ListOriginVerdict {
    bool accepted = false;
    // The release serial of an accepted signed list; 0 for an unsigned or a refused one, so that
    // no serial a refused signature claims is ever recorded.
    std::uint32_t serial = 0;
    // Why a list was refused: one line for UpdateError.log. Empty when accepted.
    std::string reason;
};

// Accepts a list when the hall has no key; with a key, only a fetched, well-formed signature that
// verifies and whose serial is not lower than the installed one. A malformed key refuses.
ListOriginVerdict JudgeListOrigin(const ListOriginFacts& facts);

}  // namespace gatevane
