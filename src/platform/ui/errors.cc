#include "platform/ui/errors.h"

#include "platform/dispatch.h"

namespace orvex::ui {
namespace {

const char* Description(int32_t number) {
  switch (number) {
    case kErrIndexOutOfBounds:
      return "Index out of bounds";
    case kErrElementNotFound:
      return "Element not found";
    case kErrKeyNotUnique:
      return "Key is not unique in collection";
    case kErrInvalidPropertyValue:
      return "Invalid property value";
    case kErrInvalidArrayIndex:
      return "Invalid property array index";
    case kErrAlreadyDisplayed:
      return "Form already displayed; can't show modally";
    default:
      return "Invalid procedure call or argument";
  }
}

}  // namespace

void ThrowUiError(int32_t number, const std::string& detail) {
  std::string text = Description(number);
  if (!detail.empty()) text += " (" + detail + ")";
  throw AutomationError(number, text);
}

}  // namespace orvex::ui
