// Per-host connection settings: where and how the library reaches a server
// named by a bare host name.
//
// Server URLs carry bare host names ("http://docs/..."). Each host may have
// settings (keys url, ca-file, verify, auth, proxy, proxy-user,
// connect-timeout, stall-timeout, request-timeout, dialect; docs/provider.md
// describes them). A host with a `url` is reached at that base while
// requests keep the bare name in their Host header; a host without one is
// resolved normally on port 80. The settings are process-wide, safe to
// change from any thread, and start from the settings files:
// /etc/qzorvex/hosts.conf, then $XDG_CONFIG_HOME/qzorvex/hosts.conf, then
// the file $QZORVEX_HOSTS names.
#ifndef QZORVEX_HOST_MAP_H_
#define QZORVEX_HOST_MAP_H_

#include <optional>
#include <string>
#include <string_view>

namespace qzorvex {

// Sets `key` of `host` (compared case-insensitively) to `value`, replacing
// any earlier value. Throws std::invalid_argument with the reason for an
// unknown key, a bad value or a host name that is not bare.
void SetHostSetting(std::string_view host, std::string_view key, std::string_view value);
// The value of `key` for `host` as it was set, or nullopt.
std::optional<std::string> HostSetting(std::string_view host, std::string_view key);
// Applies the settings file at `path` over the current settings, whole or
// not at all. Throws std::invalid_argument "FILE:LINE: reason".
void LoadHostSettings(const std::string& path);
// Forgets every host's settings, the files' included.
void ClearHostSettings();

// Shorthand for the `url` of `host`: `address` is an http:// or https://
// URL, or "ADDR:PORT" ("[v6]:PORT") for http://ADDR:PORT/. Throws
// std::invalid_argument when it is neither.
void MapHost(std::string_view host, std::string_view address);
// Removes the `url` of `host`.
void UnmapHost(std::string_view host);
// Same as ClearHostSettings.
void ClearHostMap();

}  // namespace qzorvex

#endif  // QZORVEX_HOST_MAP_H_
