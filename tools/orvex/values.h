// How the console shows automation values, as text and as JSON.
#ifndef ORVEX_TOOLS_ORVEX_VALUES_H_
#define ORVEX_TOOLS_ORVEX_VALUES_H_

#include <string>

#include <nlohmann/json.hpp>

#include "platform/variant.h"

namespace orvex::console {

// The text Print writes for `value`: True/False, decimal integers, strings as
// they are, nothing for Empty and "Null" for Null. Throws AutomationError 13
// (type mismatch) for arrays and objects, which have no text.
std::string PrintText(const Variant& value);

// `value` as JSON: Booleans true/false, integers as numbers, strings as
// strings, Empty, Null and Nothing as null, arrays as arrays (element by
// element) and objects as the string "[object]".
nlohmann::ordered_json ToJson(const Variant& value);

// One JSON record on one line. Invalid UTF-8 in strings is replaced rather
// than rejected, so whatever a member returns can be shown.
std::string JsonLine(const nlohmann::ordered_json& record);

}  // namespace orvex::console

#endif  // ORVEX_TOOLS_ORVEX_VALUES_H_
