#pragma once
// Loads a component module by name and makes its object through the module's creation function,
// called with an interface identifier and the launcher's interface version. What went wrong is
// kept as a text for the caller (it is not shown to the user).

#include <windows.h>

#include <cstdint>

#include "base/unique_handle_win.h"
#include "contracts/base_interface.h"

namespace gatevane {

class ComponentLoader {
public:
    // `functionName` up to 31 characters, `moduleName` up to 259.
    ComponentLoader(const InterfaceId& interfaceId, const char* moduleName,
                    const char* functionName);
    ~ComponentLoader();
    ComponentLoader(const ComponentLoader&) = delete;
    ComponentLoader& operator=(const ComponentLoader&) = delete;

    // Replaces any object held with a new one; false with `errorText` set when that fails.
    bool CreateComponent();
    // Destroys the object and frees the module.
    void UnloadComponent();

    // The object's face for the loader's interface identifier, or null. The face must begin with
    // the component's BaseInterface, as every face of single inheritance does.
    template <typename Interface>
    Interface* Get() const {
        return static_cast<Interface*>(object_);
    }
    const char* errorText() const { return errorText_; }

private:
    InterfaceId interfaceId_;
    std::uint32_t version_ = kInterfaceVersion;
    char functionName_[32] = {};
    char moduleName_[MAX_PATH] = {};
    UniqueModule module_;
    BaseInterface* object_ = nullptr;
    char errorText_[128] = {};
};

}  // namespace gatevane
