#include "launcher/register/name_check_client_win.h"

#include "launcher/update/scramble.h"

namespace gatevane {

NameCheckClient::NameCheckClient(NameCheckOwner* owner, LauncherSettings& settings)
    : owner_(owner),
      settings_(settings),
      loader_(kTcpSocketInterfaceId, kNetworkServiceModule, kCreateTcpSocketFunction) {}

bool NameCheckClient::RequestNameCheck(std::uint16_t subCommand, const std::string& name) {
    if (subCommand != kAccount && subCommand != kNickname) return false;
    pending_ = Request{subCommand, EncodeNameCheckRequest(name)};
    return StartNameCheck();
}

bool NameCheckClient::MakeComponent() {
    if (component()) return true;  // made once, reused by every later check
    auto* sink = static_cast<BaseInterface*>(FindInterface(kBaseInterfaceId, kInterfaceVersion));
    return loader_.CreateComponent() && component()->SetSink(sink);
}

std::string NameCheckClient::TargetHost() {
    const char* entry = settings_.GetServerEntry(-1);
    if (entry[0] == '\0') return settings_.defaultLogonHost;
    char host[kMaxHostLength + 1];
    UnscrambleText(entry, host, sizeof host);
    return host;
}

bool NameCheckClient::StartNameCheck() {
    if (!MakeComponent()) return false;
    EndCheck();  // an earlier question is not answered any more
    // No connection is opened that the time limit could not end.
    if (!answerTimer_.Start(answerTimeLimitMs_)) return false;
    if (component()->Connect(TargetHost().c_str(), kLogonServerPort) != 0) {
        answerTimer_.Stop();
        return false;
    }
    return true;
}

void NameCheckClient::EndCheck() {
    answerTimer_.Stop();
    if (component()) component()->Close();
}

void* NameCheckClient::FindInterface(const InterfaceId& id, std::uint32_t version) {
    return AnswerInterface<TcpSocketSink>(this, kTcpSocketSinkInterfaceId, id, version);
}

bool NameCheckClient::OnEventTCPSocketLink(std::uint16_t, int errorCode) {
    if (errorCode != 0 || !pending_) {
        EndCheck();
        return true;
    }
    // The request stays stored until the next question replaces it.
    component()->Send(kNameCheckMainCommand, pending_->subCommand, pending_->body.data(),
                      static_cast<std::uint16_t>(pending_->body.size()));
    return true;
}

bool NameCheckClient::OnEventTCPSocketShut(std::uint16_t, std::uint8_t) {
    answerTimer_.Stop();  // the connection is gone: nothing is left to give up
    return true;
}

bool NameCheckClient::OnEventTCPSocketRead(std::uint16_t, TcpCommand command, const void* data,
                                           std::uint16_t size) {
    if (command.mainCommand != kNameCheckMainCommand ||
        command.subCommand != kAccountCheckSubCommand) {
        return true;  // not an answer of ours: the time limit still runs
    }
    std::optional<NameCheckReply> reply =
        DecodeNameCheckReply(static_cast<const std::uint8_t*>(data), size);
    if (!reply) {
        answerTimer_.Stop();  // refused, which ends the connection
        return false;
    }
    // Closed before the form hears the answer, so whatever the form does next finds no
    // connection of this check.
    EndCheck();
    Report(*reply);
    return true;
}

void NameCheckClient::Report(const NameCheckReply& reply) {
    if (!owner_) return;
    if (reply.kind == static_cast<std::uint32_t>(NameKind::kAccount)) {
        owner_->ShowAccountCheck(reply.acceptable, reply.remark);
    } else if (reply.kind == static_cast<std::uint32_t>(NameKind::kNickname)) {
        owner_->ShowNicknameCheck(reply.acceptable, reply.remark);
    }
}

}  // namespace gatevane
