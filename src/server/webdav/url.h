// Server URLs as the engine hands them over, and their wire form.
//
// The engine builds URLs by plain concatenation ("http://docs/Sales/My
// Reports"): nothing in them is escaped. With URL encoding on (the
// connection's "Url Encoding" property is 1) the provider percent-encodes the
// path before sending it; everything after the authority then counts as path,
// so '?', '#' and '%' are encoded like any other reserved character.
#ifndef ORVEX_SERVER_WEBDAV_URL_H_
#define ORVEX_SERVER_WEBDAV_URL_H_

#include <optional>
#include <string>
#include <string_view>

#include "wire/url.h"

namespace orvex::server::webdav {

struct Url {
  std::string scheme;     // "http" or "https", lower case
  std::string authority;  // as written: host, or host:port
  std::string host;       // without brackets for an IPv6 literal
  int port = 80;
  std::string path;  // everything after the authority, as given; may be empty
};

// Parses an absolute http or https URL; nullopt for anything else, including
// user information in the authority and a bad port.
std::optional<Url> ParseUrl(std::string_view text);

// Percent-encoding is the wire's: every byte but the unreserved characters
// and '/' is escaped.
using wire::PercentEncodePath;

// Decodes %XX escapes; a '%' not followed by two hex digits stays as it is.
inline std::string PercentDecode(std::string_view text) {
  return wire::PercentDecodeLeniently(text);
}

// The URL to send: scheme, "://", authority, then the path (encoded when
// `encode`), or "/" for an empty path.
std::string WireUrl(const Url& url, bool encode);

// The path of a multistatus href: the href itself when it is a path, the part
// after the authority when it is an absolute URL; query and fragment dropped.
// Still percent-encoded.
std::string HrefPath(std::string_view href);

// The authority of an absolute href ("docs" in "http://docs/a"); empty for a
// path.
std::string HrefAuthority(std::string_view href);

// `path` without trailing slashes ("/" becomes "").
std::string_view TrimTrailingSlashes(std::string_view path);

// The last segment of a path, ignoring trailing slashes ("b" for "/a/b/").
std::string_view LastSegment(std::string_view path);

}  // namespace orvex::server::webdav

#endif  // ORVEX_SERVER_WEBDAV_URL_H_
