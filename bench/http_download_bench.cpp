// http_download_bench URL [RUNS] [--window]: fetches URL RUNS times (default 3) with the
// launcher's HTTP client (HttpDownloadSocket on its socket window), counting the body bytes and
// discarding them. With --window the thread first makes a hidden top-level window, as the
// launcher's UI thread has its login window: under Wine that ties the thread to the X display,
// whose connection is then flushed and polled at every message wait.
// Prints "BYTES MIB_PER_S CALLBACKS CPU_SECONDS": the body length, the best throughput of the runs
// measured inside the process (from Download to the last byte, so Wine's start-up does not count),
// how many data callbacks (one per socket message) the best run took, and the processor time this
// process used in it (Wine's server, a process of its own, is not included).
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/bench_pump.h"
#include "launcher/update/http_download_socket_win.h"

namespace {

using gatevane::IDownloadSink;

class CountingSink final : public IDownloadSink {
public:
    std::uint64_t bytes = 0;
    std::uint64_t callbacks = 0;
    bool finished = false;
    bool failed = false;

    void Destroy() override {}
    void* FindInterface(const gatevane::InterfaceId& id, std::uint32_t version) override {
        return gatevane::AnswerInterface<IDownloadSink>(this, gatevane::kDownloadSinkInterfaceId,
                                                        id, version);
    }
    void OnDownloadFailed(int) override {
        failed = true;
        finished = true;
    }
    void OnDownloadState(int phase) override {
        if (phase == gatevane::kDownloadComplete) finished = true;
    }
    void OnDownloadData(const char*, std::uint16_t length) override {
        bytes += length;
        ++callbacks;
    }
    bool OnDownloadHeader(bool, std::uint32_t, const char*) override { return true; }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: http_download_bench URL [RUNS] [--window]\n", stderr);
        return 2;
    }
    if (!gatevane::bench::StartWinsock()) return 1;
    if (argc > 3 && std::strcmp(argv[3], "--window") == 0 &&
        !::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                           nullptr)) {
        return 1;
    }
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    double best = 0;
    std::uint64_t bytes = 0;
    std::uint64_t callbacks = 0;
    double processor = 0;
    for (int run = 0; run < runs; ++run) {
        CountingSink sink;
        gatevane::HttpDownloadSocket http;
        const double processorAtStart = gatevane::bench::ProcessorSeconds();
        const auto start = std::chrono::steady_clock::now();
        if (!http.Download(argv[1], &sink, 0)) {
            std::fprintf(stderr, "http_download_bench: cannot fetch %s\n", argv[1]);
            return 1;
        }
        gatevane::bench::PumpUntil([&sink] { return sink.finished; }, 120000);
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
        const double used = gatevane::bench::ProcessorSeconds() - processorAtStart;
        if (sink.failed || sink.bytes == 0) {
            std::fprintf(stderr, "http_download_bench: the download of %s failed\n", argv[1]);
            return 1;
        }
        const double rate = static_cast<double>(sink.bytes) / (1024.0 * 1024.0) / seconds.count();
        if (rate > best) {
            best = rate;
            callbacks = sink.callbacks;
            processor = used;
        }
        bytes = sink.bytes;
    }
    std::printf("%llu %.1f %llu %.3f\n", static_cast<unsigned long long>(bytes), best,
                static_cast<unsigned long long>(callbacks), processor);
    return 0;
}
