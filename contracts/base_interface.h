#pragma once
// The shape every callback object and component of the launcher shares: it begins with Destroy and
// FindInterface, and answers for an interface identifier only when the caller's interface version
// is one it was built for.

#include <cstdint>
#include <cstring>

namespace gatevane {

// An interface identifier, laid out like the platform's GUID.
struct InterfaceId {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];

    bool operator==(const InterfaceId& other) const {
        return std::memcmp(this, &other, sizeof *this) == 0;
    }
    bool operator!=(const InterfaceId& other) const { return !(*this == other); }
};

// {5FEEC21E-DBF3-46F0-9F57-D1CD711C46DE}
constexpr InterfaceId kBaseInterfaceId = {
    0x5FEEC21E, 0xDBF3, 0x46F0, {0x9F, 0x57, 0xD1, 0xCD, 0x71, 0x1C, 0x46, 0xDE}};

// The version every request of the launcher passes.
constexpr std::uint32_t kInterfaceVersion = 0x08010100;

// A caller's version is answered when its major byte (bits 24-31) is 8, its minor byte (16-23) is
// 1, and its revision byte (8-15) is at most 1; the build byte (0-7) does not matter.
constexpr bool InterfaceVersionAccepted(std::uint32_t version) {
    return (version >> 24) == 8 && ((version >> 16) & 0xFF) == 1 && ((version >> 8) & 0xFF) <= 1;
}

class BaseInterface {
public:
    // Disposes of the object (or, for one owned by a container, does nothing).
    virtual void Destroy() = 0;
    // The object's face for `id`, or null when it has none or `version` is not accepted.
    virtual void* FindInterface(const InterfaceId& id, std::uint32_t version) = 0;

protected:
    ~BaseInterface() = default;
};

// The common answer of FindInterface: `self` for the base identifier and for `ownId`.
template <typename Interface>
void* AnswerInterface(Interface* self, const InterfaceId& ownId, const InterfaceId& id,
                      std::uint32_t version) {
    if (!InterfaceVersionAccepted(version)) return nullptr;
    if (id == ownId) return self;
    if (id == kBaseInterfaceId) return static_cast<BaseInterface*>(self);
    return nullptr;
}

}  // namespace gatevane
