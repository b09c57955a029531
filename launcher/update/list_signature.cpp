#include "launcher/update/list_signature.h"

#include <algorithm>
#include <cstring>

namespace gatevane {
namespace {

constexpr std::size_t kVersionOffset = 4;
constexpr std::size_t kSerialOffset = 6;

constexpr std::string_view kPemBegin = "-----BEGIN PUBLIC KEY-----";
constexpr std::string_view kPemEnd = "-----END PUBLIC KEY-----";

std::string SignatureReason(const std::string& text) {
    return std::string(kListSignatureFileName) + ": " + text;
}

std::string KeyReason(const std::string& text) {
    return std::string(kUpdateKeyFileName) + ": " + text;
}

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

// Decodes the base64 body of a PEM block: line breaks and blanks are skipped, '=' may only pad the
// end. None when anything else turns up or the characters do not make whole bytes.
std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    std::uint32_t bits = 0;
    int bitCount = 0;
    int padding = 0;
    int digits = 0;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        if (c == '=') {
            ++padding;
            ++digits;
            continue;
        }
        const int value = Base64Value(c);
        if (value < 0 || padding > 0) return std::nullopt;
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        bitCount += 6;
        ++digits;
        if (bitCount >= 8) {
            bitCount -= 8;
            bytes.push_back(static_cast<std::uint8_t>(bits >> bitCount));
            bits &= (1u << bitCount) - 1;
        }
    }
    // Whole groups of four, at most two of them padding, and no stray bits left over.
    if (digits % 4 != 0 || padding > 2 || bits != 0) return std::nullopt;
    return bytes;
}

}  // namespace

ListSignatureResult ReadListSignature(const std::uint8_t* data, std::size_t size) {
    if (size != kListSignatureFileSize) {
        return {std::nullopt, SignatureReason(std::to_string(size) + " bytes, not " +
                                              std::to_string(kListSignatureFileSize))};
    }
    if (std::memcmp(data, kListSignatureMagic, sizeof kListSignatureMagic) != 0) {
        return {std::nullopt, SignatureReason("not a list signature (wrong magic)")};
    }
    const unsigned version = data[kVersionOffset] | (data[kVersionOffset + 1] << 8);
    if (version != kListSignatureVersion) {
        return {std::nullopt, SignatureReason("format version " + std::to_string(version) +
                                              ", this launcher reads version " +
                                              std::to_string(kListSignatureVersion))};
    }
    ListSignature signature;
    for (std::size_t i = 0; i < 4; ++i) {
        signature.serial |= static_cast<std::uint32_t>(data[kSerialOffset + i]) << (8 * i);
    }
    if (signature.serial == 0) {
        return {std::nullopt, SignatureReason("release serial 0; serials start at 1")};
    }
    std::copy(data + kSignatureHeaderSize, data + kListSignatureFileSize,
              signature.signature.begin());
    return {signature, {}};
}

SignatureHeader MakeSignatureHeader(std::uint32_t serial) {
    SignatureHeader header{};
    std::memcpy(header.data(), kListSignatureMagic, sizeof kListSignatureMagic);
    header[kVersionOffset] = static_cast<std::uint8_t>(kListSignatureVersion & 0xff);
    header[kVersionOffset + 1] = static_cast<std::uint8_t>(kListSignatureVersion >> 8);
    for (std::size_t i = 0; i < 4; ++i) {
        header[kSerialOffset + i] = static_cast<std::uint8_t>(serial >> (8 * i));
    }
    return header;
}

std::vector<std::uint8_t> WriteListSignature(const ListSignature& signature) {
    const SignatureHeader header = MakeSignatureHeader(signature.serial);
    std::vector<std::uint8_t> file(header.begin(), header.end());
    file.insert(file.end(), signature.signature.begin(), signature.signature.end());
    return file;
}

std::vector<std::uint8_t> SignedMessage(const SignatureHeader& header, const std::uint8_t* list,
                                        std::size_t listSize) {
    std::vector<std::uint8_t> message;
    message.reserve(header.size() + listSize);
    message.insert(message.end(), header.begin(), header.end());
    if (listSize > 0) message.insert(message.end(), list, list + listSize);
    return message;
}

UpdateKeyResult ReadUpdateKey(std::string_view text) {
    if (text.size() > kMaxUpdateKeyFileSize) {
        return {std::nullopt, KeyReason("over " + std::to_string(kMaxUpdateKeyFileSize) +
                                        " bytes, not a public key file")};
    }
    const std::size_t begin = text.find(kPemBegin);
    if (begin == std::string_view::npos) {
        return {std::nullopt, KeyReason("no \"" + std::string(kPemBegin) + "\" line")};
    }
    const std::size_t bodyStart = begin + kPemBegin.size();
    const std::size_t end = text.find(kPemEnd, bodyStart);
    if (end == std::string_view::npos) {
        return {std::nullopt, KeyReason("no \"" + std::string(kPemEnd) + "\" line")};
    }
    const std::optional<std::vector<std::uint8_t>> der =
        DecodeBase64(text.substr(bodyStart, end - bodyStart));
    if (!der) return {std::nullopt, KeyReason("the key is not valid base64")};
    // The prefix fixes the curve and the point's length; 0x04 opens an uncompressed point.
    const std::size_t prefixSize = kP256PublicKeyInfoPrefix.size();
    if (der->size() != prefixSize + kP256PointSize ||
        !std::equal(kP256PublicKeyInfoPrefix.begin(), kP256PublicKeyInfoPrefix.end(),
                    der->begin()) ||
        (*der)[prefixSize] != 0x04) {
        return {std::nullopt,
                KeyReason("not a P-256 public key with its point uncompressed, as openssl "
                          "writes one")};
    }
    P256Point point;
    std::copy(der->begin() + static_cast<std::ptrdiff_t>(prefixSize), der->end(), point.begin());
    return {point, {}};
}

std::uint32_t ReadSerialText(std::string_view text) {
    if (text.empty() || text.size() > 10) return 0;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value > 0xffffffffu ? 0 : static_cast<std::uint32_t>(value);
}

ListOriginVerdict JudgeListOrigin(const ListOriginFacts& facts) {
    switch (facts.key) {
        case UpdateKeyState::kAbsent:
            return {true, 0, {}};
        case UpdateKeyState::kMalformed:
            return {false, 0, "update list refused: " + facts.keyReason};
        case UpdateKeyState::kLoaded:
            break;
    }
    if (!facts.signatureFetched) {
        return {false, 0,
                "update list refused: no " + std::string(kListSignatureFileName) +
                    " on the server, and this hall takes only signed lists"};
    }
    if (!facts.signature.signature) {
        return {false, 0, "update list refused: " + facts.signature.reason};
    }
    const std::uint32_t serial = facts.signature.signature->serial;
    if (!facts.signatureMatches) {
        return {false, 0,
                "update list refused: " + std::string(kListSignatureFileName) +
                    " does not match the list and " + kUpdateKeyFileName};
    }
    if (serial < facts.installedSerial) {
        return {false, 0,
                "update list refused: release " + std::to_string(serial) +
                    " is older than release " + std::to_string(facts.installedSerial) +
                    ", already installed"};
    }
    return {true, serial, {}};
}

}  // namespace gatevane
