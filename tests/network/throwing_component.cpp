// A component module whose creation functions throw, as a faulty or foreign module might: the
// loader must survive it and say what happened.
#include <cstdint>

#include "contracts/base_interface.h"

extern "C" __declspec(dllexport) void* CreateThrowingText(const gatevane::InterfaceId&,
                                                          std::uint32_t) {
    throw "no licence for this component";
}

extern "C" __declspec(dllexport) void* CreateThrowingOther(const gatevane::InterfaceId&,
                                                           std::uint32_t) {
    throw 42;
}
