#include "docstore/prop_name.h"

namespace orvex::docstore {

std::string PropName::Full() const {
  if (ns.empty()) return local;
  char last = ns.back();
  if (last == '/' || last == ':' || last == ';' || last == '?') return ns + local;
  return ns + "#" + local;
}

PropName SplitPropName(std::string_view full) {
  auto pos = full.find_last_of("/:;#?");
  if (pos == std::string_view::npos) return {"", std::string(full)};
  if (full[pos] == '#')
    return {std::string(full.substr(0, pos)), std::string(full.substr(pos + 1))};
  return {std::string(full.substr(0, pos + 1)), std::string(full.substr(pos + 1))};
}

}  // namespace orvex::docstore
