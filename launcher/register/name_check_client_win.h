#pragma once
// The registration form's live check of a name with the logon server (port 9005 of the selected
// line): whether the typed account or nickname is still free. Each question is one short
// connection through the TCP socket component:
//
//   idle --RequestNameCheck--> connecting --linked--> asked (request sent) --reply--> idle
//                              any --new question--> connecting (the earlier connection closed)
//                              any --link failed / server closed / no answer in time--> idle
//
// Only the latest question is answered. A server that accepts and never answers is given up
// after a time limit: the connection is closed and the form hears nothing, its mark stays hidden.

#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "contracts/tcp_socket.h"
#include "launcher/common/component_loader_win.h"
#include "launcher/common/one_shot_timer_win.h"
#include "launcher/register/name_check_messages.h"
#include "launcher/startup/launcher_settings_win.h"

namespace gatevane {

// The registration window, as the name checks see it.
class NameCheckOwner {
public:
    // The logon server's answer about the account (kind 1) or the nickname (kind 2): `free` is
    // the reply's result, `remark` its remark text (GBK, possibly empty).
    virtual void ShowAccountCheck(bool free, const std::string& remark) = 0;
    virtual void ShowNicknameCheck(bool free, const std::string& remark) = 0;

protected:
    ~NameCheckOwner() = default;
};

class NameCheckClient final : public TcpSocketSink {
public:
    static constexpr std::uint16_t kAccount =
        kAccountCheckSubCommand;  // sub commands of the request
    static constexpr std::uint16_t kNickname = kNicknameCheckSubCommand;
    // How long a question may wait for its answer, connecting included.
    static constexpr DWORD kAnswerTimeLimitMs = 10000;

    explicit NameCheckClient(NameCheckOwner* owner, LauncherSettings& settings = theSettings);
    NameCheckClient(const NameCheckClient&) = delete;
    NameCheckClient& operator=(const NameCheckClient&) = delete;

    // Asks about `name` (cut to 31 bytes, never inside a GBK character); replaces any question
    // still open, so only the latest is answered. False when no check could be started.
    bool RequestNameCheck(std::uint16_t subCommand, const std::string& name);
    // Tests shorten the time limit.
    void SetAnswerTimeLimit(DWORD milliseconds) { answerTimeLimitMs_ = milliseconds; }

    // Owned by the registration window: Destroy does nothing.
    void Destroy() override {}
    void* FindInterface(const InterfaceId& id, std::uint32_t version) override;
    bool OnEventTCPSocketLink(std::uint16_t socketId, int errorCode) override;
    bool OnEventTCPSocketShut(std::uint16_t socketId, std::uint8_t reason) override;
    bool OnEventTCPSocketRead(std::uint16_t socketId, TcpCommand command, const void* data,
                              std::uint16_t size) override;

private:
    struct Request {
        std::uint16_t subCommand;
        std::array<std::uint8_t, kNameCheckRequestSize> body;
    };

    bool StartNameCheck();
    bool MakeComponent();
    // The selected line's host, or the built-in logon host when the line is empty.
    std::string TargetHost();
    // Closes the connection (if any) and forgets the time limit.
    void EndCheck();
    void Report(const NameCheckReply& reply);
    TcpSocketComponent* component() const { return loader_.Get<TcpSocketComponent>(); }

    NameCheckOwner* owner_;
    LauncherSettings& settings_;
    ComponentLoader loader_;
    std::optional<Request> pending_;
    DWORD answerTimeLimitMs_ = kAnswerTimeLimitMs;
    OneShotTimer answerTimer_{[this] { EndCheck(); }};
};

}  // namespace gatevane
