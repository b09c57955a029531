// scramble: the operator's tool for the server entries of ServerInfo.ini ("logon0" .. "logon8").
// It prints the scrambled form of a server address, or the address an entry holds; and, for
// support, the logon a lobby command line carries.

#include <cstdio>
#include <cstring>
#include <random>
#include <string_view>

#include "launcher/update/scramble.h"

namespace {

// The launcher unscrambles a server entry into 64 bytes: a host name or dotted address of at most
// 63 characters.
constexpr std::size_t kMaxAddressLength = 63;

enum ExitCode { kDone = 0, kRefused = 1, kUsage = 2 };

const char kUsageText[] =
    "usage: scramble ADDRESS          print the ServerInfo.ini entry for a server address\n"
    "       scramble --decode ENTRY   print the server address a scrambled entry holds\n"
    "       scramble --decode-logon TEXT  print the logon a lobby command line carries\n"
    "       scramble --help\n"
    "\n"
    "ADDRESS is a host name or dotted address of 1 to 63 characters (letters, digits, '.', '-',\n"
    "'_'). Each run picks new random key bytes, so the same address scrambles differently\n"
    "every time; the launcher reads every form alike.\n"
    "Exit status: 0 done, 1 input refused, 2 wrong arguments.\n";

bool IsAddressCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_';
}

int Scramble(std::string_view address) {
    if (address.empty() || address.size() > kMaxAddressLength) {
        std::fprintf(stderr, "scramble: a server address has 1 to %zu characters, this one %zu\n",
                     kMaxAddressLength, address.size());
        return kRefused;
    }
    for (char c : address) {
        if (!IsAddressCharacter(c)) {
            std::fprintf(stderr,
                         "scramble: '%.*s' is not a host name or dotted address (letters, digits, "
                         "'.', '-' and '_' only)\n",
                         static_cast<int>(address.size()), address.data());
            return kRefused;
        }
    }
    std::random_device entropy;
    std::uniform_int_distribution<int> keyByte(0, 254);
    char entry[kMaxAddressLength * 4 + 20];
    gatevane::ScrambleText(address, entry, sizeof entry,
                           [&] { return static_cast<std::uint8_t>(keyByte(entropy)); });
    std::printf("%s\n", entry);
    return kDone;
}

// `limit`: the longest plain text taken (a server address, or a lobby command line).
int Decode(std::string_view entry, std::size_t limit) {
    char address[gatevane::kMaxScrambledTextLength + 1];
    std::uint16_t length = gatevane::UnscrambleText(entry, address, sizeof address);
    if (length == 0) {
        std::fprintf(stderr,
                     "scramble: '%.*s' is not a scrambled text (hexadecimal digits, a multiple of "
                     "20 long, matching the length in its first two digits)\n",
                     static_cast<int>(entry.size()), entry.data());
        return kRefused;
    }
    if (length > limit) {
        std::fprintf(stderr,
                     "scramble: the entry holds %u characters; the launcher takes server addresses "
                     "of at most %zu\n",
                     length, kMaxAddressLength);
        return kRefused;
    }
    std::fwrite(address, 1, length, stdout);
    std::fputc('\n', stdout);
    return kDone;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsageText, stdout);
        return kDone;
    }
    if (argc == 3 && std::strcmp(argv[1], "--decode") == 0)
        return Decode(argv[2], kMaxAddressLength);
    if (argc == 3 && std::strcmp(argv[1], "--decode-logon") == 0) {
        return Decode(argv[2], gatevane::kMaxScrambledTextLength);
    }
    if (argc == 2 && argv[1][0] != '-') return Scramble(argv[1]);
    std::fputs(kUsageText, stderr);
    return kUsage;
}
