#include "launcher/common/component_loader_win.h"

#include <gtest/gtest.h>

#include "contracts/tcp_socket.h"

namespace gatevane {
namespace {

// Made and unloaded, the component serves every other network test. The loader's text for each way
// creation can fail:
std::string Failure(const InterfaceId& id, const char* module, const char* function) {
    ComponentLoader loader(id, module, function);
    EXPECT_TRUE(!loader.CreateComponent() && loader.Get<BaseInterface>() == nullptr);
    return loader.errorText();
}

TEST(ComponentLoader, NamesWhatFailed) {
    EXPECT_EQ(Failure(kTcpSocketInterfaceId, "Missing.dll", kCreateTcpSocketFunction),
              "“Missing.dll”模块加载失败");
    EXPECT_EQ(Failure(kTcpSocketInterfaceId, kNetworkServiceModule, "CreateTcpSocket"),
              "找不到组件创建函数“CreateTcpSocket”");
    // The module makes no object for an identifier it does not know.
    EXPECT_EQ(Failure(kTcpSocketSinkInterfaceId, kNetworkServiceModule, kCreateTcpSocketFunction),
              "调用函数“CreateTCPSocket”生成对象失败");
    EXPECT_EQ(Failure(kTcpSocketInterfaceId, "throwing_component.dll", "CreateThrowingText"),
              "由于“no licence for this component”，组件创建失败");
    EXPECT_EQ(Failure(kTcpSocketInterfaceId, "throwing_component.dll", "CreateThrowingOther"),
              "组件创建函数“CreateThrowingOther”产生未知异常错误，组件创建失败");
}

// Which versions count is the core's (InterfaceVersionAccepted); the export answers for the base
// identifier too, and refuses a version before making anything.
TEST(CreateTcpSocket, AnswersTheBaseIdentifierAtTheVersionsItWasBuiltFor) {
    UniqueModule module(::LoadLibraryA(kNetworkServiceModule));
    ASSERT_TRUE(module);
    auto create = reinterpret_cast<CreateTcpSocketFunction>(
        reinterpret_cast<void*>(::GetProcAddress(module.get(), kCreateTcpSocketFunction)));
    ASSERT_NE(create, nullptr);
    auto* base = static_cast<BaseInterface*>(create(kBaseInterfaceId, 0x080101FFu));
    ASSERT_NE(base, nullptr);
    EXPECT_NE(base->FindInterface(kTcpSocketInterfaceId, 0x080100FFu), nullptr);
    base->Destroy();
    EXPECT_EQ(create(kTcpSocketInterfaceId, 0x08010200u), nullptr);
}

}  // namespace
}  // namespace gatevane
