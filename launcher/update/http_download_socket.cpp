#include "launcher/update/http_download_socket.h"

#include <wininet.h>

#include <algorithm>

#include "launcher/update/http_exchange.h"

namespace gatevane {
namespace {

// No encoding, no meta, spaces only, browser mode: the backslash between a base address and a file
// name becomes a slash.
constexpr DWORD kCanonicalizeFlags = 0x2E000000;
constexpr std::size_t kUrlCapacity = 260;

std::uint64_t Tick() {
    return ::GetTickCount64();
}

}  // namespace

void* HttpDownloadSocket::FindInterface(const InterfaceId& id, std::uint32_t version) {
    return AnswerInterface<ISocketSink>(this, kSocketSinkInterfaceId, id, version);
}

bool HttpDownloadSocket::Download(const char* url, BaseInterface* sink,
                                  std::uint32_t resumeOffset) {
    if (state_ != kIdle || !sink) return false;
    sink_ = static_cast<IDownloadSink*>(
        sink->FindInterface(kDownloadSinkInterfaceId, kInterfaceVersion));
    if (!sink_) return false;
    resumeOffset_ = resumeOffset;
    redirects_ = 0;
    restartFromZero_ = false;
    return OpenUrl(WithCacheBuster(url, static_cast<std::uint32_t>(Tick())));
}

bool HttpDownloadSocket::OpenUrl(const std::string& url) {
    char canonical[kUrlCapacity];
    DWORD length = sizeof canonical;
    char host[kUrlCapacity] = {};
    char path[kUrlCapacity] = {};
    char query[kUrlCapacity] = {};
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof path;
    parts.lpszExtraInfo = query;
    parts.dwExtraInfoLength = sizeof query;
    const bool opened =
        url.size() < kUrlCapacity &&
        ::InternetCanonicalizeUrlA(url.c_str(), canonical, &length, kCanonicalizeFlags) &&
        ::InternetCrackUrlA(canonical, 0, 0, &parts) &&
        (parts.nScheme == INTERNET_SCHEME_HTTP || parts.nScheme == INTERNET_SCHEME_FTP) &&
        std::string(path).size() + std::string(query).size() < kUrlCapacity;
    if (opened) {
        host_ = host;
        path_ = std::string(path) + query;
        port_ = static_cast<std::uint16_t>(parts.nPort);
    }
    if (!opened || socket_.Connect(host_.c_str(), port_) != AsyncSocketWindow::kStarted) {
        Fail(0);
        return false;
    }
    state_ = kRequesting;
    sink_->OnDownloadState(kDownloadConnecting);
    return true;
}

void HttpDownloadSocket::Reset() {
    state_ = kIdle;
    total_ = 0;
    received_ = 0;
    socket_.Close(kClosedByOwner);
}

void HttpDownloadSocket::Fail(int code) {
    Reset();
    if (sink_) sink_->OnDownloadFailed(code);
}

void HttpDownloadSocket::SendRequest() {
    const std::string request = BuildGetRequest(path_, host_, resumeOffset_);
    if (request.empty() ||
        socket_.Send(request.data(), static_cast<std::uint16_t>(request.size())) == 0) {
        Fail(0);
    }
}

void HttpDownloadSocket::OnSocketConnected(int error) {
    if (state_ != kRequesting) return;
    if (error != 0) {
        Fail(1);
    } else {
        SendRequest();
    }
}

void HttpDownloadSocket::OnSocketClosed(int) {
    if (state_ != kIdle) Fail(0);
}

void HttpDownloadSocket::OnSocketHeader(const char* text, std::uint16_t length, int) {
    if (state_ != kRequesting) return;
    const ResponseAction action =
        DecideResponse(std::string_view(text, length), resumeOffset_, redirects_);
    switch (action.kind) {
        case ResponseAction::kBody:
            state_ = kReceiving;
            received_ = 0;
            total_ = action.length;
            sink_->OnDownloadState(kDownloadHeaderArrived);
            sink_->OnDownloadHeader(action.partial, total_, path_.c_str());
            break;
        case ResponseAction::kRedirectSameConnection:
            ++redirects_;
            path_ = WithCacheBuster(action.target, Tick());
            if (path_.size() >= kUrlCapacity) {
                Fail(0);
            } else {
                SendRequest();
            }
            break;
        case ResponseAction::kRedirectNewUrl:
            ++redirects_;
            socket_.Close(kClosedByOwner);
            OpenUrl(WithCacheBuster(action.target, static_cast<std::uint32_t>(Tick())));
            break;
        default:
            Fail(0);
            break;
    }
}

void HttpDownloadSocket::OnSocketData(const char* bytes, std::uint16_t length) {
    if (state_ != kReceiving) return;
    // Bytes beyond the announced length belong to nothing we asked for.
    const auto take =
        static_cast<std::uint16_t>(std::min<std::uint32_t>(length, total_ - received_));
    received_ += take;
    if (take > 0) sink_->OnDownloadData(bytes, take);
    if (state_ == kReceiving && total_ != 0 && received_ == total_) {
        Reset();
        sink_->OnDownloadState(kDownloadComplete);
    }
}

}  // namespace gatevane
