// Origins: where a request really goes.
//
// The origin of a URL is its scheme, host and port after the host map: a
// mapped host is reached at its mapped address and port, so that address is
// the origin ("http://docs/..." mapped to 127.0.0.1:8080 has the origin
// http, 127.0.0.1, 8080). Credentials given for a connection go only to the
// origin that connection was opened on (session.h).
#ifndef ORVEX_SERVER_WEBDAV_ORIGIN_H_
#define ORVEX_SERVER_WEBDAV_ORIGIN_H_

#include <string>
#include <string_view>

#include "server/webdav/url.h"

namespace orvex::server::webdav {

struct Origin {
  std::string scheme;  // "http" or "https"
  std::string host;    // lower case; an IPv6 literal without brackets
  int port = 80;

  friend bool operator==(const Origin&, const Origin&) = default;
};

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
