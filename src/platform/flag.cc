#include "platform/flag.h"

#include <string>

#include "platform/text.h"

namespace orvex::platform {

std::optional<bool> ParseFlag(const Variant& value) {
  switch (value.type()) {
    case VariantType::kEmpty:
    case VariantType::kNull:
      return false;
    case VariantType::kBool:
      return value.ToBool();
    case VariantType::kI2:
    case VariantType::kI4:
      return value.ToInt32() != 0;
    case VariantType::kString: {
      const std::string s = value.ToString();
      if (s == "1" || CompareNoCase(s, "true") == 0) return true;
      if (s == "0" || CompareNoCase(s, "false") == 0) return false;
      return std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace orvex::platform
