// The lobby host stand-in, built as Quarnel.run: appends the command line it was started with
// (exactly as GetCommandLineA gives it) as one line to "<its own path>.cmdline" and exits.
// Copied under other names it records any start the launcher makes.
#include <windows.h>

#include <cstdio>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char record[MAX_PATH + 16];
    ::GetModuleFileNameA(nullptr, record, MAX_PATH);
    std::strcat(record, ".cmdline");
    if (FILE* file = std::fopen(record, "ab")) {
        std::fprintf(file, "[%s]\n", ::GetCommandLineA());
        std::fclose(file);
    }
    return 0;
}
