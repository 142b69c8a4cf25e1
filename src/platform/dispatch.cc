#include "platform/dispatch.h"

namespace qzorvex {

std::string RuntimeErrorDescription(int32_t number) {
  switch (number) {
    case kErrOverflow:
      return "Overflow";
    case kErrSubscriptOutOfRange:
      return "Subscript out of range";
    case kErrTypeMismatch:
      return "Type mismatch";
    case kErrObjectRequired:
      return "Object required";
    case kErrCannotCreateObject:
      return "ActiveX component can't create object";
    case kErrMemberNotFound:
      return "Object doesn't support this property or method";
    case kErrWrongArgumentCount:
      return "Wrong number of arguments or invalid property assignment";
    default:
      return "Automation error " + std::to_string(number);
  }
}

AutomationError::AutomationError(int32_t number)
    : AutomationError(number, RuntimeErrorDescription(number)) {}

}  // namespace qzorvex
