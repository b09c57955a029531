// logon_server_standin: plays the game hall's logon server (port 9005) for the launcher's tests,
// natively on Linux, speaking the frames of NetworkService.dll. Single-threaded and poll()-based.

const char kUsageText[] =
    "usage: logon_server_standin [OPTION]...\n"
    "\n"
    "Answers the registration form's name checks like the logon server, and offers a test\n"
    "channel (main command 9) for the tests of the TCP socket component.\n"
    "\n"
    "  --listen ADDR[:PORT]        listen there (repeatable; PORT defaults to 9005; ADDR must be\n"
    "                              in 127.0.0.0/8, or 'localhost'). Without --listen and --stall,\n"
    "                              one listener on 127.0.0.1:9005.\n"
    "  --taken NAME[=REMARK]       NAME (account or nickname, compared byte for byte) is not\n"
    "                              available; the reply carries REMARK (repeatable)\n"
    "  --taken-hex HEX[=REMARKHEX] the same with the name and remark given as hex bytes, for\n"
    "                              GBK text\n"
    "  --free-remark TEXT          the remark of a reply about an available name (default empty)\n"
    "  --free-remark-hex HEX       the same as hex bytes\n"
    "  --misbehave MODE            answer name checks wrongly; MODE is one of\n"
    "                                wrong-size     main 1 sub 4 with a 135-byte body\n"
    "                                other-command  main 2 sub 4 with a proper 136-byte body\n"
    "                                garbage        16 bytes that are not a frame\n"
    "                                silent         no reply; the connection stays open\n"
    "                                close          close each connection as soon as accepted\n"
    "  --stall ADDR[:PORT]=MS      a listener that completes no TCP handshake for MS\n"
    "                              milliseconds (0: never); its accept queue is kept full with\n"
    "                              the stand-in's own connections, so clients' SYNs are dropped\n"
    "                              (repeatable)\n"
    "  --ready-file PATH           write \"ready\\n\" to PATH once every listener listens;\n"
    "                              removed on exit\n"
    "  --stop-file PATH            exit as soon as PATH exists (checked every 50 ms)\n"
    "  --lifetime SECONDS          exit after that long (default 120)\n"
    "  --log PATH                  append one line per event (listen, accept, frame, name-check,\n"
    "                              sent, malformed, ignore, close, exit)\n"
    "  --help                      print this text\n"
    "\n"
    "Name check: main 1, sub 4 (account) or 5 (nickname), a 32-byte body; the reply is main 1\n"
    "sub 4 with 136 bytes: kind 1 or 2, acceptable unless the name is taken, the remark. Main 1\n"
    "frames of another size are ignored.\n"
    "Test channel, main 9: sub 1 echoes the frame; 2 echoes it one byte per TCP segment, 2 ms\n"
    "apart; 3 echoes it three times in one write; 4 sends 12 bytes of a frame with a wrong\n"
    "marker; 5 sends a header announcing a body of 16385 bytes; 6 closes the connection; 7\n"
    "echoes the frame and closes the connection. A close waits for what is already queued.\n"
    "A client stream that is not frames closes its connection; other commands are ignored.\n"
    "SIGINT and SIGTERM end it like the stop file.\n"
    "\n"
    "Exit status: 0 clean exit, 1 failure (cannot listen, open the log or write the ready\n"
    "file), 2 wrong arguments.\n";

#include <signal.h>

#include <cstdio>
#include <string>

#include "tests/logon_server/standin_options.h"
#include "tests/logon_server/standin_server.h"

namespace {

void OnSignal(int) {
    standin::gStopSignalled = 1;
}

}  // namespace

int main(int argc, char** argv) {
    standin::Options options;
    std::string error;
    if (!standin::ParseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "logon_server_standin: %s (see --help)\n", error.c_str());
        return standin::kUsage;
    }
    if (options.help) {
        std::fputs(kUsageText, stdout);
        return standin::kClean;
    }
    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    standin::Server server(options);
    return server.Run();
}
