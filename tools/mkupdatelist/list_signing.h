#pragma once
// The operator's side of signed update lists (see launcher/update/list_signature.h for the files):
// a key pair made once, a signature per release, and a check of a signature as the launcher makes
// it. Built natively only, with OpenSSL 3. Each command prints what it did and returns the exit
// status; input it refuses throws std::runtime_error with a one-line reason.

namespace gatevane::tools {

// keygen PRIVATE_KEY PUBLIC_KEY: a new P-256 pair. The private key (PEM, PKCS#8) is readable by
// its owner only; the public key is what the hall ships as UpdateKey.pem. Existing files are
// never overwritten.
int GenerateSigningKey(const char* privateKeyPath, const char* publicKeyPath);

// sign LIST PRIVATE_KEY SERIAL: writes LIST.sig for the release SERIAL, once LIST reads as an
// update list.
int SignList(const char* listPath, const char* privateKeyPath, const char* serialText);

// verify LIST PUBLIC_KEY: prints LIST.sig's serial; 0 when it matches LIST and the key, 1 when not.
int VerifyList(const char* listPath, const char* publicKeyPath);

}  // namespace gatevane::tools
