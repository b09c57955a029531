// Fuzzes the readers of what a hostile update server or a damaged program folder could hand the
// signature check: Update.txt.sig and UpdateKey.pem. Whatever the input, nothing is read out of
// bounds, a result is either a value or a reason, an accepted signature is written back byte for
// byte, and an accepted key is an uncompressed point.
#include <cstdint>
#include <string_view>
#include <vector>

#include "launcher/update/list_signature.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const gatevane::ListSignatureResult signature = gatevane::ReadListSignature(data, size);
    if (signature.signature.has_value() == !signature.reason.empty()) __builtin_trap();
    if (signature.signature) {
        const std::vector<std::uint8_t> written =
            gatevane::WriteListSignature(*signature.signature);
        if (written != std::vector<std::uint8_t>(data, data + size)) __builtin_trap();
    }

    const gatevane::UpdateKeyResult key =
        gatevane::ReadUpdateKey(std::string_view(reinterpret_cast<const char*>(data), size));
    if (key.point.has_value() == !key.reason.empty()) __builtin_trap();
    if (key.point && (*key.point)[0] != 0x04) __builtin_trap();
    return 0;
}
