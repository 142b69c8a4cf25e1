// The host map: the `url` of the per-host settings (host_settings.h) in the
// older ADDR:PORT form.
//
// A host mapped to ADDR:PORT is reached at http://ADDR:PORT/ while requests
// keep the bare name in their Host header; a host not mapped is resolved
// normally on port 80.
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

// The `url` setting `target` stands for: an http:// or https:// URL as it
// is, "ADDR:PORT" as http://ADDR:PORT/. Throws HostSettingsError for
// anything else.
std::string HostUrlFor(std::string_view target);

// Sets the `url` of `host` (compared case-insensitively) to http://ADDR:PORT/.
void MapHost(std::string_view host, HostAddress to);
// Removes the `url` of `host`; its other settings stay.
void UnmapHost(std::string_view host);
// Forgets every host's settings (ClearHostSettings).
void ClearHostMap();
// Where `host`'s `url` points, whatever its scheme; nullopt without one.
std::optional<HostAddress> LookupHost(std::string_view host);

}  // namespace orvex::platform

#endif  // ORVEX_PLATFORM_HOST_MAP_H_
