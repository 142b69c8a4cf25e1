#include "wire/url_value.h"

#include "wire/url.h"

namespace orvex::wire {

std::string WireUrlValue(std::string_view origin, std::string_view path) {
  std::string out(origin);
  if (path != "/") out += PercentEncodePath(path);
  return out;
}

std::string UnescapedUrlValue(std::string_view value) {
  size_t start = 0;
  if (size_t scheme = value.find("://"); scheme != std::string_view::npos) {
    size_t slash = value.find('/', scheme + 3);
    if (slash == std::string_view::npos) return std::string(value);
    start = slash;
  }
  std::string out(value.substr(0, start));
  out += PercentDecodeLeniently(value.substr(start));
  return out;
}

}  // namespace orvex::wire
