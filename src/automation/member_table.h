// Type information of an automation interface: its members in interface
// order, with dispatch ids, parameter names and types.
#ifndef ORVEX_AUTOMATION_MEMBER_TABLE_H_
#define ORVEX_AUTOMATION_MEMBER_TABLE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant.h"

namespace orvex::automation {

enum class ValueType { kNone, kString, kI2, kI4, kBool, kVariant };

struct ParamInfo {
  std::string name;
  ValueType type = ValueType::kVariant;
  bool by_ref = false;
};

// Parses a parameter list written as "Index:i2, &Workspace:s" (a leading "&"
// marks a by-reference parameter; types s, i2, i4, b, v).
std::vector<ParamInfo> ParseParams(std::string_view text);

// A Variant of `type` converted from `value`, as a property assignment or an
// argument of that type receives it (throws AutomationError on mismatch).
Variant CoerceTo(ValueType type, const Variant& value);

}  // namespace orvex::automation

#endif  // ORVEX_AUTOMATION_MEMBER_TABLE_H_
