// http_fault_server: an HTTP/1.1 server for the update client's tests that misbehaves on purpose
// in the ways a normal web server will not (split, cut, stalled and endlessly redirected
// responses). Native on Linux, single-threaded and poll()-based.

const char kUsageText[] =
    "usage: http_fault_server --listen ADDR:PORT --root DIR [OPTION]...\n"
    "\n"
    "Serves the files under DIR over HTTP/1.1 with keep-alive, faulty in the way the first path\n"
    "component asks for; the rest of the path names the file, and the query is ignored.\n"
    "\n"
    "  --listen ADDR:PORT   listen there (once; ADDR in 127.0.0.0/8, or 'localhost')\n"
    "  --root DIR           the files it serves\n"
    "  --ready-file PATH    write \"ready\\n\" to PATH once it listens; removed on exit\n"
    "  --stop-file PATH     exit as soon as PATH exists (checked every 50 ms)\n"
    "  --lifetime SECONDS   exit after that long (default 120)\n"
    "  --log PATH           append one line per request (method, target, Range header, what was\n"
    "                       done) and per event (listen, accept, close, exit)\n"
    "  --help               print this text\n"
    "\n"
    "Paths (F is a file under DIR; a Range is honoured only as \"bytes=N-\"):\n"
    "  /plain/F          200 with Content-Length, or 206 with Content-Range for a Range (416 when\n"
    "                    N is not below the size)\n"
    "  /split/F          as plain, with the header's blank line split across two writes 50 ms\n"
    "                    apart and the body in 8 small writes\n"
    "  /nolength/F       200 without Content-Length, the body, then close\n"
    "  /lowercase/F      200 with \"content-length:\", the body, then close\n"
    "  /cut/F            200 or 206 announcing the full length, half the body, then close\n"
    "  /stall/F          the header and the first 1000 bytes of the body, then nothing; the\n"
    "                    connection stays open\n"
    "  /silent/F         no answer; the connection stays open\n"
    "  /trickle/F        the header, then one byte of the body every 100 ms (200 at most)\n"
    "  /bigredirect/F    302 to /plain/F with a 3000-byte body, most of it 50 ms later\n"
    "  /closeredirect/F  302 to /plain/F in lower-case fields with \"connection: close\", no\n"
    "                    length, then close\n"
    "  /bigheader/F      as plain, with 2000 bytes of header (X-Filler lines) before the blank "
    "line\n"
    "  /loop/F           302 to /loop/F, every time\n"
    "  /absloop/F        302 to http://ADDR:PORT/absloop/F, every time\n"
    "  /redirect/N/F     302 to /redirect/N-1/F; N = 0 serves F as plain\n"
    "  /absredirect/F    302 to http://ADDR:PORT/plain/F\n"
    "  /status/CODE/F    that status (200 to 599) with a short body (none for 204 and 304)\n"
    "  /badrange/F       as plain, but a Range is answered 206 with the whole file from byte 0\n"
    "  /flaky/K/F        the first K requests of this path (across connections) as cut, then as\n"
    "                    plain\n"
    "  /flakywhole/K/F   as flaky, then 200 with the whole file whatever the Range\n"
    "  /flakybadrange/K/F  as flaky, then as badrange\n"
    "Anything else is 404; a path with a '..' component, or that leads out of DIR, is 403. A\n"
    "request header over 8 KiB gets 431, a malformed one 400, another version than HTTP/1.1 505, "
    "a\n"
    "method other than GET 405, each followed by a close; so is any response to a request with\n"
    "\"Connection: close\".\n"
    "SIGINT and SIGTERM end it like the stop file.\n"
    "\n"
    "Exit status: 0 clean exit, 1 failure (cannot listen, find DIR, open the log or write the "
    "ready\n"
    "file), 2 wrong arguments.\n";

#include <signal.h>

#include <cstdio>
#include <string>

#include "fault_options.h"
#include "fault_server.h"

namespace {

void OnSignal(int) {
    httpfaults::gStopSignalled = 1;
}

}  // namespace

int main(int argc, char** argv) {
    httpfaults::Options options;
    std::string error;
    if (!httpfaults::ParseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "http_fault_server: %s (see --help)\n", error.c_str());
        return httpfaults::kUsage;
    }
    if (options.help) {
        std::fputs(kUsageText, stdout);
        return httpfaults::kClean;
    }
    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    httpfaults::Server server(options);
    return server.Run();
}
