#include "tools/mkupdatelist/list_signing.h"

#include <fcntl.h>
#include <openssl/ec.h>
#include <openssl/ecdsa.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <unistd.h>

#include <sys/stat.h>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/scope_exit.h"
#include "launcher/update/list_signature.h"
#include "launcher/update/update_list.h"

namespace gatevane::tools {
namespace {

template <auto Free>
struct Freer {
    template <typename T>
    void operator()(T* object) const {
        Free(object);
    }
};
using Key = std::unique_ptr<EVP_PKEY, Freer<EVP_PKEY_free>>;
using DigestContext = std::unique_ptr<EVP_MD_CTX, Freer<EVP_MD_CTX_free>>;
using EcdsaSignature = std::unique_ptr<ECDSA_SIG, Freer<ECDSA_SIG_free>>;
using Number = std::unique_ptr<BIGNUM, Freer<BN_free>>;
using File = std::unique_ptr<std::FILE, Freer<std::fclose>>;

constexpr std::size_t kCoordinateSize = kEcdsaP256SignatureSize / 2;
// A signature file is read this far, so that one of the wrong size is named as such.
constexpr std::size_t kSignatureReadLimit = 4096;

using Bytes = std::vector<std::uint8_t>;

[[noreturn]] void Refuse(const std::string& reason) {
    throw std::runtime_error(reason);
}

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

// The whole file, refused when it is over `limit` bytes.
Bytes ReadFile(const std::string& path, std::size_t limit) {
    std::ifstream in(path, std::ios::binary);
    if (!in) Refuse("cannot open " + Quoted(path));
    Bytes data(limit + 1);
    in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
    if (in.bad()) Refuse("cannot read " + Quoted(path));
    data.resize(static_cast<std::size_t>(in.gcount()));
    if (data.size() > limit) {
        Refuse(Quoted(path) + " is over " + std::to_string(limit) + " bytes");
    }
    return data;
}

void WriteFile(const std::string& path, const Bytes& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()),
              static_cast<std::streamsize>(data.size()));
    out.close();
    if (!out) Refuse("cannot write " + Quoted(path));
}

// A new file for writing with `mode`; never one that exists (O_EXCL also refuses a link).
File CreateNewFile(const std::string& path, mode_t mode) {
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, mode);
    if (descriptor < 0) {
        Refuse(errno == EEXIST ? Quoted(path) + " exists; keys are never overwritten"
                               : "cannot create " + Quoted(path) + ": " + std::strerror(errno));
    }
    File file(::fdopen(descriptor, "w"));
    if (!file) {
        ::close(descriptor);
        Refuse("cannot write " + Quoted(path));
    }
    return file;
}

bool IsP256(EVP_PKEY* key) {
    char group[32] = {};
    std::size_t length = 0;
    return EVP_PKEY_is_a(key, "EC") &&
           EVP_PKEY_get_group_name(key, group, sizeof group, &length) == 1 &&
           std::strcmp(group, "prime256v1") == 0;
}

// Whether `signature` (r || s) matches `message` under `key`, checked the way CNG checks it:
// ECDSA over SHA-256.
bool Verifies(EVP_PKEY* key, const EcdsaP256Signature& signature, const Bytes& message) {
    EcdsaSignature sig(ECDSA_SIG_new());
    Number r(BN_bin2bn(signature.data(), kCoordinateSize, nullptr));
    Number s(BN_bin2bn(signature.data() + kCoordinateSize, kCoordinateSize, nullptr));
    if (!sig || !r || !s || ECDSA_SIG_set0(sig.get(), r.get(), s.get()) != 1) {
        throw std::runtime_error("out of memory");
    }
    r.release();  // owned by `sig` now
    s.release();
    unsigned char* der = nullptr;
    const int derSize = i2d_ECDSA_SIG(sig.get(), &der);
    if (derSize <= 0) throw std::runtime_error("cannot encode the signature");
    const std::unique_ptr<unsigned char, void (*)(unsigned char*)> derOwner(
        der, [](unsigned char* bytes) { OPENSSL_free(bytes); });

    DigestContext context(EVP_MD_CTX_new());
    return context &&
           EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, key) == 1 &&
           EVP_DigestVerify(context.get(), der, static_cast<std::size_t>(derSize), message.data(),
                            message.size()) == 1;
}

EcdsaP256Signature Sign(EVP_PKEY* key, const Bytes& message) {
    DigestContext context(EVP_MD_CTX_new());
    std::size_t size = 0;
    if (!context || EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr, key) != 1 ||
        EVP_DigestSign(context.get(), nullptr, &size, message.data(), message.size()) != 1) {
        throw std::runtime_error("OpenSSL cannot sign with this key");
    }
    Bytes der(size);
    if (EVP_DigestSign(context.get(), der.data(), &size, message.data(), message.size()) != 1) {
        throw std::runtime_error("OpenSSL cannot sign with this key");
    }
    const unsigned char* at = der.data();
    EcdsaSignature sig(d2i_ECDSA_SIG(nullptr, &at, static_cast<long>(size)));
    if (!sig) throw std::runtime_error("OpenSSL wrote a signature it cannot read back");
    EcdsaP256Signature rs;
    if (BN_bn2binpad(ECDSA_SIG_get0_r(sig.get()), rs.data(), kCoordinateSize) < 0 ||
        BN_bn2binpad(ECDSA_SIG_get0_s(sig.get()), rs.data() + kCoordinateSize, kCoordinateSize) <
            0) {
        throw std::runtime_error("the signature's numbers are longer than P-256's");
    }
    return rs;
}

Bytes ReadList(const std::string& path) {
    return ReadFile(path, kMaxCompressedListSize);
}

std::string SignaturePath(const std::string& listPath) {
    return listPath + ".sig";
}

// The signature a signature file holds, if it is one.
std::optional<ListSignature> ExistingSignature(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::uint8_t data[kListSignatureFileSize + 1];
    in.read(reinterpret_cast<char*>(data), sizeof data);
    return ReadListSignature(data, static_cast<std::size_t>(in.gcount())).signature;
}

}  // namespace

int GenerateSigningKey(const char* privateKeyPath, const char* publicKeyPath) {
    if (std::strcmp(privateKeyPath, publicKeyPath) == 0) {
        Refuse("the private and the public key need two files");
    }
    Key key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
    if (!key) throw std::runtime_error("OpenSSL cannot make a P-256 key");

    struct stat existing;
    if (::lstat(publicKeyPath, &existing) == 0) {
        Refuse(Quoted(publicKeyPath) + " exists; keys are never overwritten");
    }
    {
        File file = CreateNewFile(privateKeyPath, 0600);
        const bool written =
            PEM_write_PrivateKey(file.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) == 1;
        if (!written || std::fclose(file.release()) != 0) {
            ::unlink(privateKeyPath);
            Refuse("cannot write " + Quoted(privateKeyPath));
        }
    }
    {
        // A pair or nothing: the private key goes again unless the public one is written too.
        auto dropPrivateKey = MakeScopeExit([privateKeyPath] { ::unlink(privateKeyPath); });
        File file = CreateNewFile(publicKeyPath, 0644);
        if (PEM_write_PUBKEY(file.get(), key.get()) != 1 || std::fclose(file.release()) != 0) {
            ::unlink(publicKeyPath);
            Refuse("cannot write " + Quoted(publicKeyPath));
        }
        dropPrivateKey.release();
    }
    // The launcher's reader is the judge of the public key written.
    const Bytes written = ReadFile(publicKeyPath, kMaxUpdateKeyFileSize);
    const UpdateKeyResult check = ReadUpdateKey(std::string(written.begin(), written.end()));
    if (!check.point) throw std::logic_error("the written key does not read back: " + check.reason);

    std::printf(
        "private key '%s' (keep it off the update server), public key '%s' (ship it as %s)\n",
        privateKeyPath, publicKeyPath, kUpdateKeyFileName);
    return 0;
}

int SignList(const char* listPath, const char* privateKeyPath, const char* serialText) {
    const std::uint32_t serial = ReadSerialText(serialText);
    if (serial == 0) {
        Refuse(Quoted(serialText) +
               " is not a release serial: a whole number from 1 to 4294967295");
    }
    const Bytes list = ReadList(listPath);
    const UpdateListResult readable = ReadUpdateList(list.data(), list.size());
    if (!readable.list) Refuse(Quoted(listPath) + ": " + readable.reason);

    Key key;
    {
        File file(std::fopen(privateKeyPath, "r"));
        if (!file) Refuse("cannot open " + Quoted(privateKeyPath));
        key.reset(PEM_read_PrivateKey(file.get(), nullptr, nullptr, nullptr));
    }
    if (!key) Refuse(Quoted(privateKeyPath) + " is not a PEM private key");
    if (!IsP256(key.get())) Refuse(Quoted(privateKeyPath) + " is not a P-256 key");

    const std::string signaturePath = SignaturePath(listPath);
    const std::optional<ListSignature> previous = ExistingSignature(signaturePath);
    if (previous && previous->serial > serial) {
        std::fprintf(stderr,
                     "mkupdatelist: warning: '%s' was release %u; launchers that took it refuse "
                     "release %u\n",
                     signaturePath.c_str(), previous->serial, serial);
    }

    const SignatureHeader header = MakeSignatureHeader(serial);
    const Bytes message = SignedMessage(header, list.data(), list.size());
    const ListSignature signature{serial, Sign(key.get(), message)};
    if (!Verifies(key.get(), signature.signature, message)) {
        throw std::logic_error("the signature written does not verify");
    }
    WriteFile(signaturePath, WriteListSignature(signature));
    std::printf("signed '%s' as release %u in '%s'\n", listPath, serial, signaturePath.c_str());
    return 0;
}

int VerifyList(const char* listPath, const char* publicKeyPath) {
    const Bytes list = ReadList(listPath);
    const std::string signaturePath = SignaturePath(listPath);
    // Read past the size the format fixes, so that the reader names a wrong size.
    const Bytes file = ReadFile(signaturePath, kSignatureReadLimit);
    const ListSignatureResult signature = ReadListSignature(file.data(), file.size());
    if (!signature.signature) Refuse(signature.reason);

    const Bytes keyText = ReadFile(publicKeyPath, kMaxUpdateKeyFileSize);
    const UpdateKeyResult point = ReadUpdateKey(std::string(keyText.begin(), keyText.end()));
    if (!point.point) {
        Refuse("the launcher would refuse " + Quoted(publicKeyPath) + ": " + point.reason);
    }
    Bytes der(kP256PublicKeyInfoPrefix.begin(), kP256PublicKeyInfoPrefix.end());
    der.insert(der.end(), point.point->begin(), point.point->end());
    const unsigned char* at = der.data();
    Key key(d2i_PUBKEY(nullptr, &at, static_cast<long>(der.size())));
    if (!key) Refuse(Quoted(publicKeyPath) + ": not a point of the P-256 curve");

    const std::uint32_t serial = signature.signature->serial;
    std::printf("serial: %u\n", serial);
    const Bytes message = SignedMessage(MakeSignatureHeader(serial), list.data(), list.size());
    if (!Verifies(key.get(), signature.signature->signature, message)) {
        std::fflush(stdout);
        std::fprintf(stderr, "mkupdatelist: '%s' does not match '%s' and '%s'\n",
                     signaturePath.c_str(), listPath, publicKeyPath);
        return 1;
    }
    const UpdateListResult readable = ReadUpdateList(list.data(), list.size());
    if (!readable.list) Refuse(Quoted(listPath) + ": " + readable.reason);
    std::printf("signature: good\n");
    return 0;
}

}  // namespace gatevane::tools
