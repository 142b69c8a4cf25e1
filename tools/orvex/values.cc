#include "values.h"

#include "platform/dispatch.h"

namespace orvex::console {

std::string PrintText(const Variant& value) {
  switch (value.type()) {
    case VariantType::kNull:
      return "Null";
    case VariantType::kArray:
    case VariantType::kObject:
      throw AutomationError(kErrTypeMismatch);
    default:
      return value.ToString();
  }
}

nlohmann::ordered_json ToJson(const Variant& value) {
  switch (value.type()) {
    case VariantType::kEmpty:
    case VariantType::kNull:
      return nullptr;
    case VariantType::kI2:
    case VariantType::kI4:
      return value.ToInt32();
    case VariantType::kBool:
      return value.ToBool();
    case VariantType::kString:
      return value.ToString();
    case VariantType::kArray: {
      nlohmann::ordered_json out = nlohmann::ordered_json::array();
      for (const Variant& element : value.array()) out.push_back(ToJson(element));
      return out;
    }
    case VariantType::kObject:
      if (!value.object()) return nullptr;
      return "[object]";
  }
  return nullptr;
}

std::string JsonLine(const nlohmann::ordered_json& record) {
  return record.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace orvex::console
