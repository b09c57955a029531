#pragma once
// The callbacks of the update engine's HTTP client: a socket window reports to its ISocketSink,
// an HTTP download to its IDownloadSink. Both are owned by their containers (Destroy does nothing)
// and answer FindInterface under the launcher's version rule.

#include <cstdint>

#include "contracts/base_interface.h"

namespace gatevane {

// {30C4A8E2-DB6B-4E5F-BBDF-05C9C39747C3}
constexpr InterfaceId kSocketSinkInterfaceId = {
    0x30C4A8E2, 0xDB6B, 0x4E5F, {0xBB, 0xDF, 0x05, 0xC9, 0xC3, 0x97, 0x47, 0xC3}};
// {419B6DA4-13BB-4463-A54D-4AE2CB35B981}
constexpr InterfaceId kDownloadSinkInterfaceId = {
    0x419B6DA4, 0x13BB, 0x4463, {0xA5, 0x4D, 0x4A, 0xE2, 0xCB, 0x35, 0xB9, 0x81}};

// Why the socket window closed a connection by itself.
enum SocketCloseReason : int {
    kClosedByOwner = 0,  // never reported
    kClosedByPeer = 2,
    kClosedOnError = 4,
};

class ISocketSink : public BaseInterface {
public:
    // The connection attempt ended: 0 connected, else the Winsock error.
    virtual void OnSocketConnected(int error) = 0;
    virtual void OnSocketClosed(int reason) = 0;
    virtual void OnSocketData(const char* bytes, std::uint16_t length) = 0;
    // The whole response header, through its blank line, and its status code.
    virtual void OnSocketHeader(const char* text, std::uint16_t length, int status) = 0;

protected:
    ~ISocketSink() = default;
};

// Phases of a download reported through OnDownloadState.
enum DownloadPhase : int {
    kDownloadConnecting = 0,
    kDownloadHeaderArrived = 1,  // a 200 or 206 header
    kDownloadComplete = 2,       // all announced bytes arrived
};

class IDownloadSink : public BaseInterface {
public:
    // The request ended without success: 1 when the connection could not be made, else 0.
    virtual void OnDownloadFailed(int code) = 0;
    virtual void OnDownloadState(int phase) = 0;
    virtual void OnDownloadData(const char* bytes, std::uint16_t length) = 0;
    // `partial` for a 206 answer; `length` is its Content-Length (0 when absent); `path` the
    // request path as sent, with its query.
    virtual bool OnDownloadHeader(bool partial, std::uint32_t length, const char* path) = 0;

protected:
    ~IDownloadSink() = default;
};

}  // namespace gatevane
