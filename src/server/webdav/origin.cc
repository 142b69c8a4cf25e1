#include "server/webdav/origin.h"

#include <optional>

#include "platform/host_map.h"

namespace orvex::server::webdav {
namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace

Origin OriginOf(const Url& url) {
  if (std::optional<platform::HostAddress> mapped = platform::LookupHost(url.host))
    return {url.scheme, Lower(mapped->address), mapped->port};
  return {url.scheme, Lower(url.host), url.port};
}

bool IsOnOrigin(const Origin& origin, std::string_view reference) {
  if (reference.substr(0, 2) == "//")
    return IsOnOrigin(origin, origin.scheme + ":" + std::string(reference));
  if (reference.substr(0, 1) == "/") return true;
  std::optional<Url> url = ParseUrl(reference);
  return url && OriginOf(*url) == origin;
}

}  // namespace orvex::server::webdav
