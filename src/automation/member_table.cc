#include "automation/member_table.h"

#include <stdexcept>

#include "platform/dispatch.h"
#include "platform/text.h"

namespace orvex::automation {
namespace {

ValueType ParseType(std::string_view t) {
  if (t == "s") return ValueType::kString;
  if (t == "i2") return ValueType::kI2;
  if (t == "i4") return ValueType::kI4;
  if (t == "b") return ValueType::kBool;
  if (t == "v") return ValueType::kVariant;
  throw std::logic_error("unknown parameter type");
}

}  // namespace

std::vector<ParamInfo> ParseParams(std::string_view text) {
  std::vector<ParamInfo> params;
  while (!platform::Trim(text, " ").empty()) {
    size_t comma = text.find(',');
    std::string_view item = platform::Trim(text.substr(0, comma), " ");
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    ParamInfo p;
    if (item.front() == '&') {
      p.by_ref = true;
      item.remove_prefix(1);
    }
    size_t colon = item.find(':');
    p.name = std::string(item.substr(0, colon));
    p.type = ParseType(item.substr(colon + 1));
    params.push_back(std::move(p));
  }
  return params;
}

Variant CoerceTo(ValueType type, const Variant& value) {
  switch (type) {
    case ValueType::kString:
      return Variant(value.ToString());
    case ValueType::kI2:
      return Variant(value.ToInt16());
    case ValueType::kI4:
      return Variant(value.ToInt32());
    case ValueType::kBool:
      return Variant(value.ToBool());
    case ValueType::kVariant:
    case ValueType::kNone:
      return value;
  }
  return value;
}

}  // namespace orvex::automation
