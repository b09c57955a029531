#pragma once
// The logon line probes: at start-up the login window tries a connection to port 9005 of each of
// the nine server entries at once; the first entry that connects tells which line works from the
// player's network. Nothing is sent: each probe closes its connection at its first event.

#include <array>
#include <memory>

#include "launcher/common/component_loader_win.h"
#include "contracts/tcp_socket.h"
#include "launcher/startup/launcher_settings_win.h"

namespace gatevane {

// The login window, as the probes see it.
class LineProbeOwner {
public:
    // Entry `index` accepted a connection.
    virtual void OnLineReachable(int index) = 0;

protected:
    ~LineProbeOwner() = default;
};

class LineProbe final : public TcpSocketSink {
public:
    explicit LineProbe(LauncherSettings& settings = theSettings);
    ~LineProbe();
    LineProbe(const LineProbe&) = delete;
    LineProbe& operator=(const LineProbe&) = delete;

    void SetOwner(LineProbeOwner* owner) { owner_ = owner; }
    // Starts a connection to entry `index` (0..8); false when it could not be started.
    bool StartProbe(int index);
    // Why the last start failed, for diagnosis (never shown to the player); null after a start
    // that failed for want of an entry, or that did not fail.
    const char* failure() const { return failure_; }

    // Owned by the login window: Destroy does nothing.
    void Destroy() override {}
    void* FindInterface(const InterfaceId& id, std::uint32_t version) override;
    bool OnEventTCPSocketLink(std::uint16_t socketId, int errorCode) override;
    bool OnEventTCPSocketShut(std::uint16_t socketId, std::uint8_t reason) override;
    bool OnEventTCPSocketRead(std::uint16_t socketId, TcpCommand command, const void* data,
                              std::uint16_t size) override;

private:
    bool Stop(const char* reason);
    void Trace(const char* format) const;
    TcpSocketComponent* component() const { return loader_.Get<TcpSocketComponent>(); }

    LauncherSettings& settings_;
    ComponentLoader loader_;
    int index_ = -1;
    LineProbeOwner* owner_ = nullptr;
    const char* failure_ = nullptr;
};

using LineProbes = std::array<std::unique_ptr<LineProbe>, kServerLineCount>;

// One probe per entry, 0 to 8, each started at once and reporting to `owner`.
LineProbes CreateLineProbes(LineProbeOwner* owner, LauncherSettings& settings = theSettings);

// The login window's memory of the probes' answers: only the first reachable entry counts.
class ReachableLine {
public:
    // For the first answer: stores the entry as the selected line and returns the option to show
    // ("LogonLineAuto", "LogonLine0" or "LogonLine2"); null for every later answer.
    const char* Accept(int index, LauncherSettings& settings = theSettings);
    // The first reachable entry, or -1 while none has answered.
    int line() const { return line_; }

private:
    int line_ = -1;
};

}  // namespace gatevane
