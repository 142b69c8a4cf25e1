#include "server/webdav/origin.h"

#include "platform/text.h"
#include "server/error.h"

namespace orvex::server::webdav {
namespace {

std::string Bracketed(const std::string& host) {
  return host.find(':') != std::string::npos ? "[" + host + "]" : host;
}

}  // namespace

platform::HostSettings SettingsOf(std::string_view host) {
  try {
    return platform::LookupHostSettings(host);
  } catch (const platform::HostSettingsError& e) {
    throw Error(kErrGenericFailure, std::string("host settings: ") + e.what());
  }
}

Route RouteOf(const Url& url, bool encode_path) {
  Route route;
  route.settings = SettingsOf(url.host);
  if (const auto& base = route.settings.url) {
    // The engine's URLs are http: they take the base's scheme. One that
    // already says https keeps it and is never sent in clear.
    const std::string scheme = url.scheme == "https" ? url.scheme : base->scheme;
    route.origin = {scheme, platform::LowerAscii(base->host), base->port};
    Url wire = url;
    wire.scheme = scheme;
    wire.host = base->host;
    wire.port = base->port;
    wire.authority = Bracketed(base->host) + ":" + std::to_string(base->port);
    route.wire_url = WireUrl(wire, encode_path);
    route.host_header = "Host: " + url.authority;
  } else {
    route.origin = {url.scheme, platform::LowerAscii(url.host), url.port};
    route.wire_url = WireUrl(url, encode_path);
  }
  return route;
}

Origin OriginOf(const Url& url) { return RouteOf(url, false).origin; }

bool IsOnOrigin(const Origin& origin, std::string_view reference) {
  if (reference.substr(0, 2) == "//")
    return IsOnOrigin(origin, origin.scheme + ":" + std::string(reference));
  if (reference.substr(0, 1) == "/") return true;
  std::optional<Url> url = ParseUrl(reference);
  return url && OriginOf(*url) == origin;
}

}  // namespace orvex::server::webdav
