// Automation values (qzorvex/variant.h, part of the public interface), named
// in the library's own namespace as its code uses them.
#ifndef ORVEX_PLATFORM_VARIANT_H_
#define ORVEX_PLATFORM_VARIANT_H_

#include "qzorvex/variant.h"

namespace orvex {

using qzorvex::Dispatch;
using qzorvex::kErrOverflow;
using qzorvex::kErrTypeMismatch;
using qzorvex::Null;
using qzorvex::Variant;
using qzorvex::VariantArray;
using qzorvex::VariantType;

}  // namespace orvex

#endif  // ORVEX_PLATFORM_VARIANT_H_
