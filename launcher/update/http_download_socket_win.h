#pragma once
// One HTTP GET at a time for the update engine: splits the URL with the platform's URL functions,
// connects through its AsyncSocketWindow, sends the request (with a byte range when resuming),
// follows redirects (at most ten in a row) and reports to its IDownloadSink.
//
//   idle --Download--> requesting --200/206 header--> receiving --all announced bytes--> idle
//   requesting --redirect on this connection--> skipping the redirect's body --> requesting
//   requesting --redirect elsewhere--> requesting (new connection)
//   any --failure--> idle (OnDownloadFailed)
//
// A body of length 0 is complete with its header.

#include <windows.h>

#include <cstdint>
#include <string>

#include "launcher/update/async_socket_window_win.h"
#include "launcher/update/download_sinks.h"

namespace gatevane {

class HttpDownloadSocket final : public ISocketSink {
public:
    HttpDownloadSocket() = default;
    HttpDownloadSocket(const HttpDownloadSocket&) = delete;
    HttpDownloadSocket& operator=(const HttpDownloadSocket&) = delete;

    // Starts fetching `url` (with a cache-busting query added) from `resumeOffset`; false when a
    // download is under way, the sink does not answer as an IDownloadSink, or the URL cannot be
    // opened (then also reported as OnDownloadFailed(0)). `timeLimitMs` bounds the whole request,
    // redirects included (0: only the watchdog's limits).
    bool Download(const char* url, BaseInterface* sink, std::uint32_t resumeOffset,
                  DWORD timeLimitMs = 0);
    // Abandons the download, silently.
    void Reset();
    // Whether the last failure means the partial file cannot be resumed (the server answered the
    // range wrongly): the caller then starts that file again from its first byte.
    bool restartFromZero() const { return restartFromZero_; }

    // Owned by its user: Destroy does nothing.
    void Destroy() override {}
    void* FindInterface(const InterfaceId& id, std::uint32_t version) override;
    void OnSocketConnected(int error) override;
    void OnSocketClosed(int reason) override;
    void OnSocketData(const char* bytes, std::uint16_t length) override;
    void OnSocketHeader(const char* text, std::uint16_t length, int status) override;

private:
    enum State { kRequesting = 0, kReceiving = 1, kIdle = 2, kSkippingRedirectBody = 3 };

    bool OpenUrl(const std::string& url);
    void SendRequest();
    void RequestOnThisConnection(const std::string& path);
    void Fail(int code);
    void Complete();

    State state_ = kIdle;
    std::uint32_t total_ = 0;
    std::uint32_t received_ = 0;
    std::uint32_t resumeOffset_ = 0;
    std::uint16_t port_ = 0;
    std::string path_;
    std::string host_;
    int redirects_ = 0;
    bool restartFromZero_ = false;
    // The redirect whose body is being read off the connection, and how much of it is left.
    std::string redirectPath_;
    std::uint32_t redirectBodyLeft_ = 0;
    IDownloadSink* sink_ = nullptr;
    AsyncSocketWindow socket_{this};
};

}  // namespace gatevane
