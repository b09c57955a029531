// mkupdatelist: the operator's tool for the update list ("Update.txt"). It builds the list of a
// release folder, with the MD5 of every file, optionally lays the files out as the update server
// serves them, and prints what a list holds. The native build also signs lists
// (list_signing.h); the Windows builds have no OpenSSL and send operators to it.

#include <algorithm>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "launcher/update/checksum_stream.h"
#include "launcher/update/entry_names.h"
#include "launcher/update/update_files.h"
#include "launcher/update/update_list.h"
#ifdef GATEVANE_LIST_SIGNING
#include "tools/mkupdatelist/list_signing.h"
#endif

namespace {

namespace fs = std::filesystem;

enum ExitCode { kDone = 0, kRefused = 1, kUsage = 2 };

const char kUsageText[] =
    "usage: mkupdatelist build RELEASE_FOLDER BASE_ADDRESS OUTPUT_LIST [--publish SERVER_FOLDER]\n"
    "       mkupdatelist print LIST\n"
    "       mkupdatelist keygen PRIVATE_KEY PUBLIC_KEY\n"
    "       mkupdatelist sign LIST PRIVATE_KEY SERIAL\n"
    "       mkupdatelist verify LIST PUBLIC_KEY\n"
    "       mkupdatelist --help\n"
    "\n"
    "build   writes OUTPUT_LIST, the update list of every file under RELEASE_FOLDER: its path\n"
    "        relative to the folder ('/' between folders, sorted) and its MD5. Folders are not\n"
    "        listed; the launcher makes the ones its files need. Names must be safe for the\n"
    "        launcher to write (no ':', no device names such as CON or NUL, no control\n"
    "        characters, no name ending in a dot or a space, nothing under UpdateDownLoad), at\n"
    "        most 128 bytes, and no two alike to Windows (case, '\\' or '/');\n"
    "        at most 65535 files. Anything else refuses the whole release: nothing is skipped.\n"
    "        Names are GBK: converted to it on Windows, taken byte for byte elsewhere.\n"
    "        BASE_ADDRESS is the http address the launcher fetches the files under, written into\n"
    "        the list as given: http://host[:port]/path/, no query, fragment or dot folders.\n"
    "        --publish copies every file into SERVER_FOLDER under the same relative path, except\n"
    "        the launcher itself: Quarnel.exe at the top of the release folder (any case) is written as\n"
    "        Quarnel.dll, the name the launcher asks the server for (many web servers refuse to\n"
    "        serve an .exe). Files already in SERVER_FOLDER are overwritten, none are removed.\n"
    "print   prints a list's address, its number of entries and one line per entry: the\n"
    "        checksum, two spaces and the name, as md5sum does.\n"
    "keygen  makes the key pair of a hall that takes signed lists only (ECDSA P-256, PEM files):\n"
    "        PRIVATE_KEY, readable by its owner only, signs releases: keep it off the update\n"
    "        server. PUBLIC_KEY goes into the release folder as UpdateKey.pem, so that it ships\n"
    "        with the hall. Existing files are never overwritten.\n"
    "sign    writes LIST.sig, the signature of LIST as the release SERIAL (1 to 4294967295).\n"
    "        Give every release a larger serial: a launcher refuses a release older than the\n"
    "        last one it took.\n"
    "verify  checks LIST.sig against LIST and PUBLIC_KEY as the launcher does and prints its\n"
    "        serial; exit status 0 when they match, 1 when not.\n"
    "        keygen, sign and verify are in the native tool only (it is built with OpenSSL).\n"
    "\n"
    "On the update server the list belongs at /Update/New/config/Update.txt, its signature\n"
    "beside it as Update.txt.sig, and the published files under BASE_ADDRESS.\n"
    "Exit status: 0 done, 1 input refused, 2 wrong arguments.\n";

// A refusal of the input: the message goes to standard error, the exit status is 1.
struct Refusal : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A text fit for the terminal: control characters, which a foreign list may hold in its address
// or checksums, are written as escapes.
std::string Printable(std::string_view text) {
    std::string printable;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            printable += escape;
        } else {
            printable += c;
        }
    }
    return printable;
}

std::string Quoted(std::string_view text) {
    return "'" + Printable(text) + "'";
}

#ifdef _WIN32
// On Windows the file system's names are UTF-16 and the command line is in the system's code page,
// while the launcher reads the list's names in code page 936 (GBK) whatever the operator's system.
// The C library converts between them: the system's code page for the arguments, 936 for names.
bool UseSystemCodePage() {
    return std::setlocale(LC_CTYPE, "") != nullptr;
}
bool UseListCodePage() {
    return std::setlocale(LC_CTYPE, ".936") != nullptr;
}

fs::path ArgumentPath(const char* argument) {
    std::wstring wide;
    std::mbstate_t state{};
    const char* end = argument + std::strlen(argument);
    for (const char* at = argument; at < end;) {
        wchar_t c;
        const std::size_t length = std::mbrtowc(&c, at, static_cast<std::size_t>(end - at), &state);
        if (length == 0 || length > static_cast<std::size_t>(end - at)) {
            throw Refusal(std::string("cannot read the path '") + argument +
                          "' in the system's code page");
        }
        wide += c;
        at += length;
    }
    return fs::path(wide);
}

std::string ListName(const fs::path& relative) {
    std::string name;
    std::mbstate_t state{};
    char bytes[MB_LEN_MAX];
    for (wchar_t c : relative.generic_wstring()) {
        const std::size_t length = std::wcrtomb(bytes, c, &state);
        if (length == static_cast<std::size_t>(-1)) {
            throw Refusal(Quoted(relative.generic_u8string()) + " has a character GBK lacks");
        }
        name.append(bytes, length);
    }
    return name;
}
#else
// Elsewhere names are bytes: a release folder for Chinese Windows holds GBK names.
bool UseSystemCodePage() {
    return true;
}
bool UseListCodePage() {
    return true;
}
fs::path ArgumentPath(const char* argument) {
    return fs::path(argument);
}
std::string ListName(const fs::path& relative) {
    return relative.generic_string();
}
#endif

struct ReleaseFile {
    std::string name;  // as the list carries it
    fs::path relative;
    fs::path path;
};

void CheckName(const std::string& name) {
    if (name.size() > gatevane::kMaxEntryNameLength) {
        throw Refusal(Quoted(name) + " has " + std::to_string(name.size()) +
                      " bytes; the list holds names of at most " +
                      std::to_string(gatevane::kMaxEntryNameLength));
    }
    if (!gatevane::IsSafeEntryName(name)) {
        throw Refusal(Quoted(name) +
                      " is not a name the launcher may write (one of : * ? \" < > |, a device "
                      "name such as CON or NUL, a control character, a name ending in a dot or a "
                      "space, or the download folder UpdateDownLoad)");
    }
}

std::vector<ReleaseFile> ListRelease(const fs::path& folder, const char* folderText) {
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        throw Refusal(std::string("'") + folderText + "' is not a folder");
    }
    std::vector<ReleaseFile> files;
    std::vector<fs::path> parents;  // the folders above the current entry, relative to `folder`
    fs::recursive_directory_iterator it(folder, error);
    for (const fs::recursive_directory_iterator end; !error && it != end; it.increment(error)) {
        const fs::directory_entry& entry = *it;
        parents.resize(static_cast<std::size_t>(it.depth()));
        fs::path relative;
        for (const fs::path& parent : parents) relative /= parent;
        relative /= entry.path().filename();
        const std::string name = ListName(relative);

        std::error_code kindError;
        const fs::file_status status = entry.status(kindError);
        if (fs::is_directory(status)) {
            if (entry.is_symlink(kindError)) {
                throw Refusal(Quoted(name) + " is a link to a folder; copy the folder in instead");
            }
            parents.push_back(entry.path().filename());
            continue;
        }
        if (!fs::is_regular_file(status)) {
            throw Refusal(Quoted(name) + " is neither a file nor a folder");
        }
        CheckName(name);
        files.push_back({name, relative, entry.path()});
    }
    if (error) {
        throw Refusal(std::string("cannot read all of '") + folderText + "': " + error.message());
    }

    if (files.size() > gatevane::kMaxListEntries) {
        throw Refusal(std::to_string(files.size()) + " files; the list holds at most " +
                      std::to_string(gatevane::kMaxListEntries));
    }
    std::sort(files.begin(), files.end(),
              [](const ReleaseFile& a, const ReleaseFile& b) { return a.name < b.name; });
    std::vector<std::pair<std::string, const ReleaseFile*>> keys;
    // On the server the launcher is Quarnel.dll, so a release holding both names one file twice.
    for (const ReleaseFile& file : files) {
        keys.emplace_back(gatevane::EntryKey(gatevane::ServedEntryName(file.name)), &file);
    }
    std::sort(keys.begin(), keys.end());
    for (std::size_t i = 1; i < keys.size(); ++i) {
        if (keys[i].first == keys[i - 1].first) {
            throw Refusal(Quoted(keys[i - 1].second->name) + " and " +
                          Quoted(keys[i].second->name) + " are the same file to Windows");
        }
    }
    return files;
}

std::string FileChecksum(const ReleaseFile& file) {
    std::ifstream in(file.path, std::ios::binary);
    if (!in) throw Refusal("cannot open " + Quoted(file.name));
    std::string checksum = gatevane::StreamChecksumText([&in](char* buffer, std::size_t capacity) {
        in.read(buffer, static_cast<std::streamsize>(capacity));
        if (in.bad()) return -1L;
        return static_cast<long>(in.gcount());
    });
    if (checksum.empty()) throw Refusal("cannot read " + Quoted(file.name));
    return checksum;
}

// Whether `inner` is `outer` or lies inside it, once both are made absolute and links resolved.
bool IsWithin(const fs::path& inner, const fs::path& outer) {
    const fs::path a = fs::weakly_canonical(fs::absolute(inner));
    const fs::path b = fs::weakly_canonical(fs::absolute(outer));
    auto at = a.begin();
    for (const fs::path& part : b) {
        if (part.empty()) continue;  // a trailing separator
        if (at == a.end() || *at != part) return false;
        ++at;
    }
    return true;
}

void WriteFile(const fs::path& path, const char* pathText, const std::vector<std::uint8_t>& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()),
              static_cast<std::streamsize>(data.size()));
    out.close();
    if (!out) throw Refusal(std::string("cannot write '") + pathText + "'");
}

void Publish(const std::vector<ReleaseFile>& files, const fs::path& server,
             const char* serverText) {
    for (const ReleaseFile& file : files) {
        const fs::path target = gatevane::IsLauncherEntry(file.name)
                                    ? server / fs::path(gatevane::kPublishedLauncherName)
                                    : server / file.relative;
        // The old copy goes first: mingw's copy_file does not overwrite, whatever the options.
        std::error_code error;
        fs::create_directories(target.parent_path(), error);
        if (!error) fs::remove(target, error);
        if (!error) fs::copy_file(file.path, target, error);
        if (error) {
            throw Refusal("cannot copy " + Quoted(file.name) + " into '" + serverText +
                          "': " + error.message());
        }
    }
}

int Build(char** arguments, const char* serverText) {
    const char* releaseText = arguments[0];
    const std::string address = arguments[1];
    const char* outputText = arguments[2];
    const fs::path release = ArgumentPath(releaseText);
    const fs::path output = ArgumentPath(outputText);
    const fs::path server = serverText ? ArgumentPath(serverText) : fs::path();
    if (!UseListCodePage())
        throw Refusal("this system cannot convert names to GBK (code page 936)");

    if (address.size() > gatevane::kMaxListAddressLength ||
        !gatevane::IsPlainBaseAddress(address)) {
        throw Refusal("the base address " + Quoted(address) + " must be a plain http address of at most " +
                      std::to_string(gatevane::kMaxListAddressLength) +
                      " bytes: http://host[:port]/path/ without query, fragment, '\\' or dot folders");
    }
    if (IsWithin(output, release)) {
        throw Refusal(std::string("the list '") + outputText +
                      "' would lie inside the release folder and be listed next time");
    }
    if (serverText && (IsWithin(server, release) || IsWithin(release, server))) {
        throw Refusal(std::string("the server folder '") + serverText +
                      "' and the release folder must not lie inside one another");
    }

    const std::vector<ReleaseFile> files = ListRelease(release, releaseText);
    gatevane::UpdateList list{address, {}};
    list.entries.reserve(files.size());
    for (const ReleaseFile& file : files) list.entries.push_back({file.name, FileChecksum(file)});

    std::vector<std::uint8_t> packed;
    try {
        packed = gatevane::CompressUpdateList(list);
    } catch (const std::invalid_argument& error) {
        throw Refusal(error.what());
    }
    // The launcher's reader is the judge of what was written.
    const gatevane::UpdateListResult check = gatevane::ReadUpdateList(packed.data(), packed.size());
    if (!check.list || *check.list != list) {
        throw std::logic_error("the written list does not read back: " + check.reason);
    }
    if (serverText) Publish(files, server, serverText);
    WriteFile(output, outputText, packed);
    std::printf("%zu files listed in '%s'%s%s%s\n", files.size(), outputText,
                serverText ? " and published in '" : "", serverText ? serverText : "",
                serverText ? "'" : "");
    return kDone;
}

int Print(const char* listText) {
    std::ifstream in(ArgumentPath(listText), std::ios::binary);
    if (!in) throw Refusal(std::string("cannot open '") + listText + "'");
    // One byte over the cap is enough to know the launcher would refuse it.
    std::vector<std::uint8_t> data(gatevane::kMaxCompressedListSize + 1);
    in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
    if (in.bad()) throw Refusal(std::string("cannot read '") + listText + "'");
    data.resize(static_cast<std::size_t>(in.gcount()));

    const gatevane::UpdateListResult result = gatevane::ReadUpdateList(data.data(), data.size());
    if (!result.list) throw Refusal(std::string("'") + listText + "': " + result.reason);
    std::printf("address: %s\n", Printable(result.list->address).c_str());
    std::printf("entries: %zu\n", result.list->entries.size());
    // Names are safe, so free of control characters; checksums are not judged.
    for (const gatevane::UpdateListEntry& entry : result.list->entries) {
        std::printf("%s  %s\n", Printable(entry.checksum).c_str(), entry.name.c_str());
    }
    return kDone;
}

int Run(int argc, char** argv) {
    if (!UseSystemCodePage()) throw Refusal("cannot use the system's code page");
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (argc == 2 && command == "--help") {
        std::fputs(kUsageText, stdout);
        return kDone;
    }
    if (command == "build" && argc == 5) return Build(argv + 2, nullptr);
    if (command == "build" && argc == 7 && std::strcmp(argv[5], "--publish") == 0) {
        return Build(argv + 2, argv[6]);
    }
    if (command == "print" && argc == 3) return Print(argv[2]);
    if (command == "keygen" || command == "sign" || command == "verify") {
#ifdef GATEVANE_LIST_SIGNING
        if (command == "keygen" && argc == 4) {
            return gatevane::tools::GenerateSigningKey(argv[2], argv[3]);
        }
        if (command == "sign" && argc == 5) {
            return gatevane::tools::SignList(argv[2], argv[3], argv[4]);
        }
        if (command == "verify" && argc == 4) return gatevane::tools::VerifyList(argv[2], argv[3]);
#else
        std::fprintf(stderr,
                     "mkupdatelist: %s needs the native tool, built with OpenSSL "
                     "(build/native/tools/mkupdatelist)\n",
                     argv[1]);
        return kUsage;
#endif
    }
    std::fputs(kUsageText, stderr);
    return kUsage;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const Refusal& refusal) {
        std::fprintf(stderr, "mkupdatelist: %s\n", refusal.what());
        return kRefused;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "mkupdatelist: %s\n", error.what());
        return kRefused;
    }
}
