#pragma once
// The registration form's rule for resident identity card numbers: 15 or 18 characters with a
// plausible birth date, and for 18 characters the ISO 7064 MOD 11-2 check character.

#include <cstddef>
#include <string_view>

namespace gatevane {

// True when `number` is acceptable; otherwise false with the message to show in `message`
// (a buffer of `size` bytes; the form gives 128).
bool CheckIdCardNumber(std::string_view number, char* message, std::size_t size);

}  // namespace gatevane
