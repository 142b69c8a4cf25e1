// Origins: where a request really goes.
//
// A request for an engine URL ("http://docs/Sales/...") goes where the host
// settings (platform/host_settings.h) send its bare name: a host with a
// `url` is reached at that base, scheme, host and port included, with the
// bare name kept in the Host header; any other host as the URL says. The
// origin of a URL is that scheme, host and port ("http://docs/..." with the
// url https://127.0.0.1:8443/ has the origin https, 127.0.0.1, 8443). A URL
// that already says https keeps its scheme: nothing meant for TLS goes in
// clear because of a host's settings.
// Credentials given for a connection go only to the origin that connection
// was opened on (session.h).
#ifndef ORVEX_SERVER_WEBDAV_ORIGIN_H_
#define ORVEX_SERVER_WEBDAV_ORIGIN_H_

#include <optional>
#include <string>
#include <string_view>

#include "platform/host_settings.h"
#include "server/webdav/url.h"

namespace orvex::server::webdav {

struct Origin {
  std::string scheme;  // "http" or "https"
  std::string host;    // lower case; an IPv6 literal without brackets
  int port = 80;

  friend bool operator==(const Origin&, const Origin&) = default;
};

// How one request travels.
struct Route {
  Origin origin;
  platform::HostSettings settings;  // of the URL's bare host name
  std::string wire_url;             // what goes to the connection: origin and path
  // "Host: docs" when the URL's host is reached under another name.
  std::optional<std::string> host_header;
};

// The settings of `host`. Throws server::Error(kErrGenericFailure) with
// the reason when the settings files could not be used.
platform::HostSettings SettingsOf(std::string_view host);

// The route of `url`, its path encoded when `encode_path`. Throws as
// SettingsOf does.
Route RouteOf(const Url& url, bool encode_path);

// The origin requests to `url` reach.
Origin OriginOf(const Url& url);

// Whether the URL reference `reference` (a Location header, say) names a
// resource on `origin`: an absolute http(s) URL whose origin it is, a
// network-path reference ("//host/path") that is so with the origin's
// scheme, or a path ("/path"). Anything else (a relative path, another
// scheme, text that is no URL) is not.
bool IsOnOrigin(const Origin& origin, std::string_view reference);

}  // namespace orvex::server::webdav

#endif  // ORVEX_SERVER_WEBDAV_ORIGIN_H_
