#include "launcher/login/line_probe_win.h"

#include <cstdio>

#include "launcher/update/scramble.h"

namespace gatevane {

LineProbe::LineProbe(LauncherSettings& settings)
    : settings_(settings),
      loader_(kTcpSocketInterfaceId, kNetworkServiceModule, kCreateTcpSocketFunction) {}

LineProbe::~LineProbe() = default;

bool LineProbe::Stop(const char* reason) {
    failure_ = reason;
    return false;
}

bool LineProbe::StartProbe(int index) {
    failure_ = nullptr;
    if (index < 0 || index >= kServerLineCount) return false;
    index_ = index;
    if (!component()) {
        auto* sink =
            static_cast<BaseInterface*>(FindInterface(kBaseInterfaceId, kInterfaceVersion));
        if (!loader_.CreateComponent()) return Stop("网络组件创建失败");
        if (!component()->SetSink(sink)) return Stop("网络组件回调接口设置失败");
    }
    const char* entry = settings_.GetServerEntry(index);
    if (entry[0] == '\0') return false;
    char host[64];
    UnscrambleText(entry, host, sizeof host);
    component()->Close();
    if (component()->Connect(host, kLogonServerPort) != 0) {
        return Stop("服务器连接错误，可能是你的系统还没有成功连接上网络！");
    }
    return true;
}

void* LineProbe::FindInterface(const InterfaceId& id, std::uint32_t version) {
    return AnswerInterface<TcpSocketSink>(this, kTcpSocketSinkInterfaceId, id, version);
}

void LineProbe::Trace(const char* format) const {
    char line[96];
    std::snprintf(line, sizeof line, format, index_);
    ::OutputDebugStringA(line);
}

bool LineProbe::OnEventTCPSocketLink(std::uint16_t, int errorCode) {
    Trace(errorCode == 0 ? "Check.....OnEventTCPSocketLink----Success!!--%d"
                         : "Check.....OnEventTCPSocketLink----error!!--%d");
    component()->Close();
    if (errorCode == 0 && owner_) owner_->OnLineReachable(index_);
    return true;
}

bool LineProbe::OnEventTCPSocketShut(std::uint16_t, std::uint8_t) {
    Trace("Check.....OnEventTCPSocketShut--%d");
    component()->Close();
    return true;
}

bool LineProbe::OnEventTCPSocketRead(std::uint16_t, TcpCommand, const void*, std::uint16_t) {
    Trace("Check.....OnEventTCPSocketRead--%d");
    component()->Close();
    return true;
}

LineProbes CreateLineProbes(LineProbeOwner* owner, LauncherSettings& settings) {
    LineProbes probes;
    for (int index = 0; index < kServerLineCount; ++index) {
        try {
            probes[index] = std::make_unique<LineProbe>(settings);
        } catch (const std::bad_alloc&) {
            continue;  // a probe that cannot be made leaves its slot empty; the others run
        }
        probes[index]->SetOwner(owner);
        probes[index]->StartProbe(index);
    }
    return probes;
}

const char* ReachableLine::Accept(int index, LauncherSettings& settings) {
    if (line_ >= 0) return nullptr;
    line_ = index;
    settings.SelectServerLine(index);
    return LineOptionForEntry(index);
}

}  // namespace gatevane
