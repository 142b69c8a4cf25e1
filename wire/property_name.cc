#include "wire/property_name.h"

namespace orvex::wire {

PropertyName SplitPropertyName(std::string_view full) {
  size_t pos = full.find_last_of("/:;#?");
  if (pos == std::string_view::npos) return {std::string(), std::string(full)};
  if (full[pos] == '#')
    return {std::string(full.substr(0, pos)), std::string(full.substr(pos + 1))};
  return {std::string(full.substr(0, pos + 1)), std::string(full.substr(pos + 1))};
}

std::string JoinPropertyName(std::string_view ns, std::string_view local) {
  std::string out(ns);
  if (!ns.empty()) {
    char last = ns.back();
    if (last != '/' && last != ':' && last != ';' && last != '?') out += '#';
  }
  out += local;
  return out;
}

}  // namespace orvex::wire
