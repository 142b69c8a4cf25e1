// A property value read as a flag, the one reading every layer shares.
#ifndef ORVEX_PLATFORM_FLAG_H_
#define ORVEX_PLATFORM_FLAG_H_

#include <optional>

#include "platform/variant.h"

namespace orvex::platform {

// Empty and Null are False, a Boolean is itself, an integer is True when not
// 0, and the texts "1", "0", "true" and "false" (any case) read as such.
// Anything else (other text, a list, an object) is no flag: nothing.
std::optional<bool> ParseFlag(const Variant& value);

}  // namespace orvex::platform

#endif  // ORVEX_PLATFORM_FLAG_H_
