// Multi-valued property values travel as one string, the values joined by
// ","; this splits such a string back into its values.
#ifndef ORVEX_MODULE_COMMA_SPLIT_H_
#define ORVEX_MODULE_COMMA_SPLIT_H_

#include <string_view>

#include "platform/variant.h"

namespace orvex::module {

// Splits at every comma, without trimming: "a,b" -> {a, b}; "a,,b" -> {a, "", b};
// "a," -> {a, ""}; "" and "," -> {""}. Each element is a string Variant.
VariantArray SplitByComma(std::string_view text);

}  // namespace orvex::module

#endif  // ORVEX_MODULE_COMMA_SPLIT_H_
