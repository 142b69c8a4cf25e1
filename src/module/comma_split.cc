#include "module/comma_split.h"

#include <string>

namespace orvex::module {

VariantArray SplitByComma(std::string_view text) {
  if (text.empty() || text == ",") return {Variant(std::string())};
  VariantArray parts;
  for (size_t comma; (comma = text.find(',')) != std::string_view::npos;) {
    parts.emplace_back(std::string(text.substr(0, comma)));
    text.remove_prefix(comma + 1);
  }
  parts.emplace_back(std::string(text));
  return parts;
}

}  // namespace orvex::module
