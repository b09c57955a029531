#include "launcher/update/list_signature_win.h"

#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "base/unique_handle_win.h"
#include "launcher/common/file_start_win.h"

namespace gatevane {
namespace {

constexpr char kSerialSection[] = "Release";
constexpr char kSerialKey[] = "Serial";
constexpr std::size_t kSha256Size = 32;
constexpr std::size_t kCoordinateSize = 32;

struct AlgorithmTraits {
    using Type = BCRYPT_ALG_HANDLE;
    static Type Empty() { return nullptr; }
    static void Close(Type algorithm) { ::BCryptCloseAlgorithmProvider(algorithm, 0); }
};
struct KeyTraits {
    using Type = BCRYPT_KEY_HANDLE;
    static Type Empty() { return nullptr; }
    static void Close(Type key) { ::BCryptDestroyKey(key); }
};
struct HashTraits {
    using Type = BCRYPT_HASH_HANDLE;
    static Type Empty() { return nullptr; }
    static void Close(Type hash) { ::BCryptDestroyHash(hash); }
};
using UniqueAlgorithm = UniqueHandle<AlgorithmTraits>;
using UniqueKey = UniqueHandle<KeyTraits>;
using UniqueHash = UniqueHandle<HashTraits>;

std::string FolderFile(const std::string& programFolder, const char* name) {
    return programFolder + "\\" + name;
}

UniqueAlgorithm OpenAlgorithm(const wchar_t* name) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&algorithm, name, nullptr, 0))) return {};
    return UniqueAlgorithm(algorithm);
}

// The hall's key, ready for CNG, or why there is none.
struct LoadedKey {
    UpdateKeyState state = UpdateKeyState::kAbsent;
    std::string reason;
    UniqueAlgorithm algorithm;  // declared first: the key goes before its provider
    UniqueKey key;
};

LoadedKey LoadUpdateKey(const std::string& programFolder) {
    LoadedKey loaded;
    if (!UpdateKeyPresent(programFolder)) return loaded;
    loaded.state = UpdateKeyState::kMalformed;
    const std::optional<std::string> text =
        ReadFileStart(FolderFile(programFolder, kUpdateKeyFileName), kMaxUpdateKeyFileSize);
    if (!text) {
        loaded.reason = std::string(kUpdateKeyFileName) + ": cannot be read";
        return loaded;
    }
    const UpdateKeyResult parsed = ReadUpdateKey(*text);
    if (!parsed.point) {
        loaded.reason = parsed.reason;
        return loaded;
    }

    // BCRYPT_ECCPUBLIC_BLOB: the blob header, then X and Y (the point without its 0x04).
    unsigned char blob[sizeof(BCRYPT_ECCKEY_BLOB) + 2 * kCoordinateSize];
    BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, kCoordinateSize};
    std::memcpy(blob, &header, sizeof header);
    std::memcpy(blob + sizeof header, parsed.point->data() + 1, 2 * kCoordinateSize);

    loaded.algorithm = OpenAlgorithm(BCRYPT_ECDSA_P256_ALGORITHM);
    if (!loaded.algorithm) {
        loaded.reason = "this system offers no ECDSA P-256 to check the signature with";
        return loaded;
    }
    BCRYPT_KEY_HANDLE key = nullptr;
    if (!BCRYPT_SUCCESS(::BCryptImportKeyPair(loaded.algorithm.get(), nullptr,
                                              BCRYPT_ECCPUBLIC_BLOB, &key, blob, sizeof blob, 0))) {
        loaded.reason = std::string(kUpdateKeyFileName) + ": not a point of the P-256 curve";
        return loaded;
    }
    loaded.key.reset(key);
    loaded.state = UpdateKeyState::kLoaded;
    return loaded;
}

// SHA-256 of `message`; none when CNG fails.
std::optional<std::array<std::uint8_t, kSha256Size>> Sha256(
    const std::vector<std::uint8_t>& message) {
    const UniqueAlgorithm algorithm = OpenAlgorithm(BCRYPT_SHA256_ALGORITHM);
    if (!algorithm) return std::nullopt;
    BCRYPT_HASH_HANDLE handle = nullptr;
    if (!BCRYPT_SUCCESS(::BCryptCreateHash(algorithm.get(), &handle, nullptr, 0, nullptr, 0, 0))) {
        return std::nullopt;
    }
    const UniqueHash hash(handle);
    // BCryptHashData takes a ULONG count: hash a list of any size in parts.
    for (std::size_t at = 0; at < message.size();) {
        const std::size_t part = std::min<std::size_t>(message.size() - at, ULONG_MAX);
        if (!BCRYPT_SUCCESS(::BCryptHashData(hash.get(), const_cast<PUCHAR>(message.data() + at),
                                             static_cast<ULONG>(part), 0))) {
            return std::nullopt;
        }
        at += part;
    }
    std::array<std::uint8_t, kSha256Size> digest;
    if (!BCRYPT_SUCCESS(::BCryptFinishHash(hash.get(), digest.data(), kSha256Size, 0))) {
        return std::nullopt;
    }
    return digest;
}

bool Verifies(const LoadedKey& key, const ListSignature& signature, const std::uint8_t* list,
              std::size_t listSize) {
    const auto digest =
        Sha256(SignedMessage(MakeSignatureHeader(signature.serial), list, listSize));
    if (!digest) return false;
    EcdsaP256Signature rs = signature.signature;
    return BCRYPT_SUCCESS(::BCryptVerifySignature(key.key.get(), nullptr,
                                                  const_cast<PUCHAR>(digest->data()), kSha256Size,
                                                  rs.data(), kEcdsaP256SignatureSize, 0));
}

}  // namespace

bool UpdateKeyPresent(const std::string& programFolder) {
    return ::GetFileAttributesA(FolderFile(programFolder, kUpdateKeyFileName).c_str()) !=
           INVALID_FILE_ATTRIBUTES;
}

ListOriginVerdict CheckListOrigin(const std::string& programFolder, const std::uint8_t* list,
                                  std::size_t listSize, const std::uint8_t* signature,
                                  std::size_t signatureSize) {
    const LoadedKey key = LoadUpdateKey(programFolder);
    ListOriginFacts facts;
    facts.key = key.state;
    facts.keyReason = key.reason;
    if (key.state == UpdateKeyState::kLoaded && signature) {
        facts.signatureFetched = true;
        facts.signature = ReadListSignature(signature, signatureSize);
        if (facts.signature.signature) {
            facts.signatureMatches = Verifies(key, *facts.signature.signature, list, listSize);
        }
        facts.installedSerial = InstalledSerial(programFolder);
    }
    return JudgeListOrigin(facts);
}

std::uint32_t InstalledSerial(const std::string& programFolder) {
    char text[32] = {};
    ::GetPrivateProfileStringA(kSerialSection, kSerialKey, "", text, sizeof text,
                               FolderFile(programFolder, kUpdateSerialFileName).c_str());
    return ReadSerialText(text);
}

bool RecordInstalledSerial(const std::string& programFolder, std::uint32_t serial) {
    if (serial <= InstalledSerial(programFolder)) return true;
    return ::WritePrivateProfileStringA(kSerialSection, kSerialKey, std::to_string(serial).c_str(),
                                        FolderFile(programFolder, kUpdateSerialFileName).c_str()) !=
           FALSE;
}

}  // namespace gatevane
