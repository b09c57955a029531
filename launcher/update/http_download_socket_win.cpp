#include "launcher/update/http_download_socket_win.h"

#include <wininet.h>

#include <algorithm>

#include "launcher/update/http_exchange.h"

namespace gatevane {
namespace {

// No encoding, no meta, spaces only, browser mode.
constexpr DWORD kCanonicalizeFlags = ICU_NO_ENCODE | ICU_NO_META | ICU_ENCODE_SPACES_ONLY |
                                     ICU_BROWSER_MODE;
constexpr std::size_t kUrlCapacity = 260;

std::uint64_t Tick() {
    return ::GetTickCount64();
}

}  // namespace

void* HttpDownloadSocket::FindInterface(const InterfaceId& id, std::uint32_t version) {
    return AnswerInterface<ISocketSink>(this, kSocketSinkInterfaceId, id, version);
}

bool HttpDownloadSocket::Download(const char* url, BaseInterface* sink,
                                  std::uint32_t resumeOffset, DWORD timeLimitMs) {
    if (state_ != kIdle || !sink) return false;
    sink_ = static_cast<IDownloadSink*>(
        sink->FindInterface(kDownloadSinkInterfaceId, kInterfaceVersion));
    if (!sink_) return false;
    resumeOffset_ = resumeOffset;
    redirects_ = 0;
    restartFromZero_ = false;
    socket_.SetDeadline(timeLimitMs == 0 ? 0 : Tick() + timeLimitMs);
    return OpenUrl(WithCacheBuster(url, static_cast<std::uint32_t>(Tick())));
}

// Only http: the client speaks nothing else, whatever port an address names.
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
        ::InternetCrackUrlA(canonical, 0, 0, &parts) && parts.nScheme == INTERNET_SCHEME_HTTP &&
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
    redirectBodyLeft_ = 0;
    socket_.Close(kClosedByOwner);
}

void HttpDownloadSocket::Fail(int code) {
    Reset();
    if (sink_) sink_->OnDownloadFailed(code);
}

void HttpDownloadSocket::Complete() {
    Reset();
    sink_->OnDownloadState(kDownloadComplete);
}

void HttpDownloadSocket::SendRequest() {
    const std::string request = BuildGetRequest(path_, host_, resumeOffset_);
    if (request.empty() ||
        socket_.Send(request.data(), static_cast<std::uint16_t>(request.size())) == 0) {
        Fail(0);
    }
}

void HttpDownloadSocket::RequestOnThisConnection(const std::string& path) {
    state_ = kRequesting;
    path_ = WithCacheBuster(path, Tick());
    if (path_.size() >= kUrlCapacity) {
        Fail(0);
    } else {
        SendRequest();
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
    const std::string origin = "http://" + host_ + ":" + std::to_string(port_);
    const ResponseAction action =
        DecideResponse(std::string_view(text, length), resumeOffset_, redirects_, origin);
    switch (action.kind) {
        case ResponseAction::kBody:
            state_ = kReceiving;
            received_ = 0;
            total_ = action.length;
            sink_->OnDownloadState(kDownloadHeaderArrived);
            sink_->OnDownloadHeader(action.partial, total_, path_.c_str());
            if (state_ == kReceiving && action.lengthKnown && total_ == 0) Complete();
            break;
        case ResponseAction::kRedirectSameConnection:
            ++redirects_;
            if (action.length == 0) {
                RequestOnThisConnection(action.target);
            } else {
                state_ = kSkippingRedirectBody;
                redirectPath_ = action.target;
                redirectBodyLeft_ = action.length;
            }
            break;
        case ResponseAction::kRedirectNewUrl:
            ++redirects_;
            socket_.Close(kClosedByOwner);
            OpenUrl(WithCacheBuster(action.target, static_cast<std::uint32_t>(Tick())));
            break;
        default:
            restartFromZero_ = action.restartFromZero;
            Fail(0);
            break;
    }
}

void HttpDownloadSocket::OnSocketData(const char* bytes, std::uint16_t length) {
    if (state_ == kSkippingRedirectBody) {
        redirectBodyLeft_ -= std::min<std::uint32_t>(length, redirectBodyLeft_);
        if (redirectBodyLeft_ == 0) RequestOnThisConnection(redirectPath_);
        return;
    }
    if (state_ != kReceiving) return;
    // Bytes beyond the announced length belong to nothing we asked for.
    const auto take =
        static_cast<std::uint16_t>(std::min<std::uint32_t>(length, total_ - received_));
    received_ += take;
    if (take > 0) sink_->OnDownloadData(bytes, take);
    if (state_ == kReceiving && total_ != 0 && received_ == total_) Complete();
}

}  // namespace gatevane
