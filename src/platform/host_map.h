// The host map: routes a bare server host name to a network address.
//
// Server URLs carry bare host names ("http://docs/..."). A host listed here is
// reached at the mapped address and port while requests keep the bare name
// in their Host header; a host not listed is resolved normally on port 80.
#ifndef ORVEX_PLATFORM_HOST_MAP_H_
#define ORVEX_PLATFORM_HOST_MAP_H_

#include <optional>
#include <string>
#include <string_view>

namespace orvex::platform {

struct HostAddress {
  std::string address;  // "127.0.0.1", "::1", or a name
  int port = 80;
};

// Parses "ADDR:PORT" (or "[v6]:PORT"); nullopt when malformed.
std::optional<HostAddress> ParseHostAddress(std::string_view text);

// Maps `host` (compared case-insensitively) to `to`, replacing any earlier mapping.
void MapHost(std::string_view host, HostAddress to);
void UnmapHost(std::string_view host);
void ClearHostMap();
std::optional<HostAddress> LookupHost(std::string_view host);

}  // namespace orvex::platform

#endif  // ORVEX_PLATFORM_HOST_MAP_H_
