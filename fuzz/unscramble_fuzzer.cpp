// Fuzzes the readers of untrusted short texts: scrambled entries (ServerInfo.ini, the registry) and
// the launcher's command line. Whatever the input, nothing is read or written out of bounds, a
// refusal leaves the empty text, and an accepted plain text scrambles back to itself.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "launcher/startup/start_login_switch.h"
#include "launcher/update/scramble.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // The first byte picks the output size, so the too-small paths are reached as well.
    const std::uint16_t outSize = data[0];
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);

    gatevane::ParseStartLogin(input);

    std::string out(outSize, '\x7f');
    const std::uint16_t length = gatevane::UnscrambleText(input, out.data(), outSize);
    if (length > 255) __builtin_trap();
    if (length == 0 || length >= outSize) {
        if (outSize > 0 && out[0] != '\0') __builtin_trap();
        return 0;
    }
    if (out[length] != '\0') __builtin_trap();

    const std::string plain = out.substr(0, length);
    char scrambled[1100];
    gatevane::ScrambleText(plain, scrambled, sizeof scrambled, [] { return std::uint8_t(0x5a); });
    char back[256];
    if (gatevane::UnscrambleText(scrambled, back, sizeof back) != length) __builtin_trap();
    if (std::memcmp(back, plain.data(), length) != 0) __builtin_trap();
    return 0;
}
