#include "launcher/common/component_loader_win.h"

#include <cstdio>
#include <utility>

#include "launcher/common/ansi_text.h"

namespace gatevane {
namespace {

using CreateFunction = void* (*)(const InterfaceId& id, std::uint32_t version);

}  // namespace

ComponentLoader::ComponentLoader(const InterfaceId& interfaceId, const char* moduleName,
                                 const char* functionName)
    : interfaceId_(interfaceId) {
    CopyAnsiText(moduleName, moduleName_, sizeof moduleName_);
    CopyAnsiText(functionName, functionName_, sizeof functionName_);
}

ComponentLoader::~ComponentLoader() {
    UnloadComponent();
}

bool ComponentLoader::CreateComponent() {
    errorText_[0] = '\0';
    UnloadComponent();

    module_.reset(::LoadLibraryA(moduleName_));
    if (!module_) {
        std::snprintf(errorText_, sizeof errorText_, "“%s”模块加载失败", moduleName_);
        return false;
    }
    auto create = reinterpret_cast<CreateFunction>(
        reinterpret_cast<void*>(::GetProcAddress(module_.get(), functionName_)));
    if (!create) {
        std::snprintf(errorText_, sizeof errorText_, "找不到组件创建函数“%s”", functionName_);
        return false;
    }
    try {
        object_ = static_cast<BaseInterface*>(create(interfaceId_, version_));
    } catch (const char* text) {
        std::snprintf(errorText_, sizeof errorText_, "由于“%s”，组件创建失败", text);
        return false;
    } catch (...) {
        std::snprintf(errorText_, sizeof errorText_,
                      "组件创建函数“%s”产生未知异常错误，组件创建失败", functionName_);
        return false;
    }
    if (!object_) {
        std::snprintf(errorText_, sizeof errorText_, "调用函数“%s”生成对象失败", functionName_);
        return false;
    }
    return true;
}

void ComponentLoader::UnloadComponent() {
    if (object_) std::exchange(object_, nullptr)->Destroy();
    module_.reset();
}

}  // namespace gatevane
