#include "server/webdav/property_name.h"

namespace orvex::server::webdav {

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

bool IsXmlLocalName(std::string_view local) {
  if (local.empty()) return false;
  for (size_t i = 0; i < local.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(local[i]);
    bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
    bool other = (c >= '0' && c <= '9') || c == '-' || c == '.';
    if (!(letter || (i > 0 && other))) return false;
  }
  return true;
}

}  // namespace orvex::server::webdav
