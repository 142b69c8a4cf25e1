#include "server/webdav/url.h"

#include <charconv>

#include "platform/text.h"

namespace orvex::server::webdav {
namespace {

// Length of "scheme://" at the start of `text`, or 0 when there is none.
size_t SchemePrefixLength(std::string_view text) {
  size_t colon = text.find("://");
  if (colon == std::string_view::npos || colon == 0) return 0;
  for (size_t i = 0; i < colon; ++i) {
    char c = text[i];
    bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
              (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
    if (!ok) return 0;
  }
  return colon + 3;
}

}  // namespace

std::optional<Url> ParseUrl(std::string_view text) {
  Url url;
  if (platform::StartsWithNoCase(text, "http://")) {
    url.scheme = "http";
    url.port = 80;
    text.remove_prefix(7);
  } else if (platform::StartsWithNoCase(text, "https://")) {
    url.scheme = "https";
    url.port = 443;
    text.remove_prefix(8);
  } else {
    return std::nullopt;
  }
  size_t slash = text.find('/');
  std::string_view authority = text.substr(0, slash);
  url.path = slash == std::string_view::npos ? std::string() : std::string(text.substr(slash));
  if (authority.empty() || authority.find_first_of("@ \\?#") != std::string_view::npos)
    return std::nullopt;
  url.authority = std::string(authority);

  std::string_view host = authority;
  std::string_view port;
  if (authority.front() == '[') {
    size_t close = authority.find(']');
    if (close == std::string_view::npos || close == 1) return std::nullopt;
    host = authority.substr(1, close - 1);
    std::string_view rest = authority.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') return std::nullopt;
      port = rest.substr(1);
    }
  } else {
    size_t colon = authority.find(':');
    if (colon != std::string_view::npos) {
      host = authority.substr(0, colon);
      port = authority.substr(colon + 1);
      if (port.empty()) return std::nullopt;
    }
  }
  if (host.empty()) return std::nullopt;
  url.host = std::string(host);
  if (!port.empty()) {
    int p = 0;
    auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), p);
    if (ec != std::errc() || end != port.data() + port.size() || p <= 0 || p > 65535)
      return std::nullopt;
    url.port = p;
  }
  return url;
}

std::string WireUrl(const Url& url, bool encode) {
  std::string out = url.scheme + "://" + url.authority;
  if (url.path.empty())
    out += '/';
  else
    out += encode ? PercentEncodePath(url.path) : url.path;
  return out;
}

std::string HrefPath(std::string_view href) {
  size_t prefix = SchemePrefixLength(href);
  if (prefix > 0) {
    size_t slash = href.find('/', prefix);
    href = slash == std::string_view::npos ? std::string_view("/") : href.substr(slash);
  }
  size_t end = href.find_first_of("?#");
  return std::string(href.substr(0, end));
}

std::string HrefAuthority(std::string_view href) {
  size_t prefix = SchemePrefixLength(href);
  if (prefix == 0) return {};
  size_t slash = href.find('/', prefix);
  return std::string(href.substr(prefix, slash == std::string_view::npos ? slash : slash - prefix));
}

std::string_view TrimTrailingSlashes(std::string_view path) {
  while (!path.empty() && path.back() == '/') path.remove_suffix(1);
  return path;
}

std::string_view LastSegment(std::string_view path) {
  path = TrimTrailingSlashes(path);
  size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace orvex::server::webdav
