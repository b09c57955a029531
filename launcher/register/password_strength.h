#pragma once
// The registration form's refusal of passwords that are too simple.

#include <string_view>

namespace gatevane {

// False for the empty text and for all-digit passwords that are one repeated digit, a run where
// every digit differs from the one before by exactly 1 (up or down, in any mix), or the well-known
// weak password "5820731". Any ASCII letter, or any character that is neither letter nor digit,
// makes a password acceptable.
bool CheckPasswordStrength(std::string_view password);

}  // namespace gatevane
