#pragma once
// What Connect accepts as a host: a dotted IPv4 address, or a host name to resolve. Anything else
// is refused before any lookup, so a malformed server entry never reaches the name resolver.

#include <cstdint>
#include <optional>
#include <string_view>

namespace gatevane {

// The address of a dotted IPv4 text ("a.b.c.d", each part 0..255, decimal), in host byte order.
std::optional<std::uint32_t> ParseDottedAddress(std::string_view host);

// A host name: 1 to 63 characters of letters, digits, '-', '_' and '.', in dot-separated labels
// that are not empty and do not begin or end with '-', with at least one character that is not a
// digit or a dot (a text of only digits and dots is an address or nothing).
bool IsHostName(std::string_view host);

}  // namespace gatevane
