// Late-bound objects (qzorvex/dispatch.h, part of the public interface),
// named in the library's own namespace as its code uses them.
#ifndef ORVEX_PLATFORM_DISPATCH_H_
#define ORVEX_PLATFORM_DISPATCH_H_

#include "platform/variant.h"
#include "qzorvex/dispatch.h"

namespace orvex {

using qzorvex::AutomationError;
using qzorvex::InvokeKind;
using qzorvex::kErrCannotCreateObject;
using qzorvex::kErrMemberNotFound;
using qzorvex::kErrObjectRequired;
using qzorvex::kErrSubscriptOutOfRange;
using qzorvex::kErrWrongArgumentCount;
using qzorvex::RuntimeErrorDescription;

}  // namespace orvex

#endif  // ORVEX_PLATFORM_DISPATCH_H_
