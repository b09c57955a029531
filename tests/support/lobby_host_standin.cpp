// The lobby host stand-in, built as Quarnel.run: appends two lines to "<its own path>.cmdline", the
// whole command line as GetCommandLineA gives it and the arguments the program received after its
// name, then exits. Copied under other names it records any start the launcher makes.
#include <windows.h>

#include <cstdio>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    char record[MAX_PATH + 16];
    ::GetModuleFileNameA(nullptr, record, MAX_PATH);
    std::strcat(record, ".cmdline");
    if (FILE* file = std::fopen(record, "ab")) {
        std::fprintf(file, "command line: [%s]\narguments: [%s]\n", ::GetCommandLineA(), arguments);
        std::fclose(file);
    }
    return 0;
}
